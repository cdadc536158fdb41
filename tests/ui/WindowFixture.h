#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <memory>

#include "FakeClock.h"
#include "FakeSerialPort.h"
#include "RecordingPrompter.h"
#include "ui/MainWindow.h"

namespace vorn::test {

// The main window over an in-memory port, with recorded message boxes and a port list of
// `ports` fake entries ("1  /dev/fake1", ...).
class WindowTest : public ::testing::Test {
 protected:
  void makeWindow(int ports = 2) {
    portCount = ports;
    window = std::make_unique<MainWindow>(port, clock, &prompter, [this] {
      PortListing l;
      for (int n = 1; n <= portCount; ++n) {
        const std::string path = "/dev/fake" + std::to_string(n);
        l.entries.push_back({n, path, std::to_string(n) + "  " + path});
      }
      return l;
    });
    window->setUnsavedQuestion([this] {
      ++unsavedAsked;
      return unsavedAnswer;
    });
    window->show();
    window->activateWindow();
    QApplication::processEvents();
  }
  void SetUp() override { makeWindow(); }

  template <class W = QWidget>
  W* find(const QString& name) {
    W* w = window->findChild<W*>(name);
    if (!w) ADD_FAILURE() << "no control " << name.toStdString();
    return w;
  }
  // Types into a box and leaves it (the box validates on focus loss).
  void typeInto(const QString& name, const QString& text) {
    auto* box = find<QLineEdit>(name);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    box->clearFocus();
    QApplication::processEvents();
  }
  void click(const QString& name) {
    auto* b = find<QAbstractButton>(name);
    ASSERT_TRUE(b->isVisible()) << name.toStdString() << " is hidden";
    ASSERT_TRUE(b->isEnabled()) << name.toStdString() << " is disabled";
    // Near the left edge: check boxes and option buttons only react on their indicator/text.
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier,
                      QPoint(std::min(8, b->width() / 2), b->height() / 2));
    QApplication::processEvents();
  }
  void showTab(int index) {
    window->findChild<QTabWidget*>("SSTab_Main")->setCurrentIndex(index);
    QApplication::processEvents();
  }
  QString text(const QString& name) { return find<QLineEdit>(name)->text(); }
  Session& session() { return window->session(); }

  FakeClock clock;
  FakeSerialPort port{clock};
  RecordingPrompter prompter;
  int portCount = 2;
  int unsavedAsked = 0;  // the Save / Discard / Cancel question, answered with unsavedAnswer
  QMessageBox::StandardButton unsavedAnswer = QMessageBox::Discard;
  std::unique_ptr<MainWindow> window;
};

}  // namespace vorn::test
