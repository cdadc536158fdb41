#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FakeClock.h"
#include "FakeSerialPort.h"
#include "RecordingPrompter.h"
#include "model/Instructions.h"
#include "operations/Session.h"
#include "ui/DeviceConfigTab.h"
#include "ui/DeviceConfigWidgets.h"
#include "ui/PinEditor.h"

namespace vorn::test {

// The device tab on a session with an in-memory port, driven by object names.
class DeviceTabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tab = std::make_unique<DeviceConfigTab>(s, [this](const std::string& j) { jobs.push_back(j); });
    tab->pinEditor().runDialog = [this](QDialog& d) {
      ++dialogsRun;
      lastDialog = &d;
      if (answer) answer(d);
    };
    tab->resize(1200, 900);
    tab->show();
  }

  template <class T = QWidget>
  T* w(const QString& name) {
    T* found = tab->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
  }
  ValidatedEdit* box(const QString& name) { return w<ValidatedEdit>(name); }
  QString text(const QString& name) { return w<QLineEdit>(name)->text(); }

  // Types into a box and presses Enter (the box validates).
  void enter(const QString& name, const QString& value) {
    ValidatedEdit* b = box(name);
    b->setFocus();
    b->selectAll();
    QTest::keyClicks(b, value);
    QTest::keyClick(b, Qt::Key_Return);
  }
  // Types into a box and clicks it (validation on click).
  void typeAndClick(const QString& name, const QString& value) {
    ValidatedEdit* b = box(name);
    b->setText(value);
    QTest::mouseClick(b, Qt::LeftButton);
  }
  void click(const QString& name) {
    QWidget* b = w(name);
    ASSERT_TRUE(b->isVisible()) << name.toStdString();
    ASSERT_TRUE(b->isEnabled()) << name.toStdString();
    // Near the left edge: check and option buttons react only on their indicator and text.
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(qMin(8, b->width() / 2), b->height() / 2));
  }
  void doubleClick(const QString& name) { QTest::mouseDClick(w(name), Qt::LeftButton); }
  void goToPin(int shownPin) { enter("TextPAspOutput", QString::number(shownPin)); }
  void chooseLayout(int index) { click(QString("OptionPAspConf_%1").arg(index)); }
  void chooseInstruction(int row, int opcode) {
    QComboBox* c = w<QComboBox>(QString("ComboPAspInst_%1").arg(row));
    c->setCurrentIndex(c->findData(opcode));
  }
  void setDetails(bool on) {
    auto* c = w<QAbstractButton>("CheckPAspShowDetails");
    if (c->isChecked() != on) QTest::mouseClick(c, Qt::LeftButton);
  }
  Instruction& slot(int row) { return s.model.instr(s.model.CurPin, s.model.CurAspect, row); }

  FakeClock clock;
  FakeSerialPort port{clock};
  RecordingPrompter prompter;
  Session s{port, clock, prompter};
  std::vector<std::string> jobs;
  std::unique_ptr<DeviceConfigTab> tab;
  std::function<void(QDialog&)> answer;
  int dialogsRun = 0;
  QDialog* lastDialog = nullptr;
};

}  // namespace vorn::test
