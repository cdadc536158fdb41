#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FakeClock.h"
#include "FakeSerialPort.h"
#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/QtSerialPort.h"
#include "operations/Jobs.h"
#include "operations/Session.h"
#include "ui/DeviceConfigTab.h"
#include "ui/DeviceConfigWidgets.h"
#include "ui/MainWindow.h"
#include "ui/PinEditor.h"

namespace vorn::test {

// Finds, clicks and types into the controls under `root` by object name.
struct Controls {
  template <class T = QWidget>
  T* w(const QString& name) const {
    T* found = root->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << "no control " << name.toStdString();
    return found;
  }
  QString text(const QString& name) const { return w<QLineEdit>(name)->text(); }
  // Types into a box and presses Enter (entry boxes validate on Enter).
  void enter(const QString& name, const QString& value) const {
    auto* b = w<QLineEdit>(name);
    b->setFocus();
    b->selectAll();
    QTest::keyClicks(b, value);
    QTest::keyClick(b, Qt::Key_Return);
    if (settle) settle();
  }
  void click(const QString& name) const {
    QWidget* b = w(name);
    ASSERT_TRUE(b->isVisible()) << name.toStdString() << " is hidden";
    ASSERT_TRUE(b->isEnabled()) << name.toStdString() << " is disabled";
    // Near the left edge: check and option buttons react only on their indicator and text.
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(qMin(8, b->width() / 2), b->height() / 2));
    QApplication::processEvents();
    if (settle) settle();
  }
  QWidget* root = nullptr;
  std::function<void()> settle;  // after a click or an entry: let device work come back
};

// The main window over an in-memory port (or `serial` on a simulated Vorn, see makeWindow),
// with recorded message boxes and the port list `listing`.
class WindowTest : public ::testing::Test, public Controls {
 protected:
  void SetUp() override { makeWindow(port, clock); }
  void makeWindow(SerialPort& p, Clock& c) {
    // The port belongs to one window's device thread at a time: the old window goes first.
    root = nullptr;
    window.reset();
    window = std::make_unique<MainWindow>(p, c, &prompter, [this] { return listing; });
    window->setUnsavedQuestion([this] {
      ++unsavedAsked;
      return unsavedAnswer;
    });
    if (size.isValid()) window->resize(size);
    window->show();
    window->activateWindow();
    root = window.get();
    settle = [this] { waitIdle(); };
    waitIdle();
  }
  // Runs the window's events until its device thread has nothing left to do (at most 20 s).
  void waitIdle() {
    const QDeadlineTimer deadline(20000);
    QApplication::processEvents();
    while (window->deviceBusy() || window->jobs().running()) {
      if (deadline.hasExpired()) {
        ADD_FAILURE() << "the device thread is still busy after 20 s";
        return;
      }
      QApplication::processEvents(QEventLoop::AllEvents, 10);
      QThread::msleep(1);
    }
  }
  // Timer1's tick, and the job it started run to its end.
  void tick() {
    window->timer1Tick();
    waitIdle();
  }
  // The window on a simulated Vorn started with `simArgs`, its port picked from the list.
  void makeSimWindow(std::vector<std::string> simArgs) {
    sim = std::make_unique<SimProcess>(std::move(simArgs));
    ASSERT_TRUE(sim->ok()) << sim->error();
    listing = {{{1, sim->path(), "1  " + sim->path()}}, {}};
    makeWindow(serial, SystemClock());
    pickPort(0);
    ASSERT_TRUE(serial.isOpen()) << serial.errorText();
  }
  void showTab(int index) { w<QTabWidget>("SSTab_Main")->setCurrentIndex(index); }
  void pickPort(int index) {
    w<QComboBox>("ComboPort")->setCurrentIndex(index);
    emit w<QComboBox>("ComboPort")->activated(index);
    waitIdle();
  }
  Session& session() { return window->session(); }

  FakeClock clock;
  FakeSerialPort port{clock};
  QtSerialPort serial;
  std::unique_ptr<SimProcess> sim;
  RecordingPrompter prompter;
  PortListing listing{{{1, "/dev/fake1", "1  /dev/fake1"}, {2, "/dev/fake2", "2  /dev/fake2"}}, {}};
  QSize size;            // before the window shows, when valid
  int unsavedAsked = 0;  // the Save / Discard / Cancel question, answered with unsavedAnswer
  QMessageBox::StandardButton unsavedAnswer = QMessageBox::Discard;
  std::unique_ptr<MainWindow> window;
};

// The device tab on a session with an in-memory port; the help and edit dialogs are handed
// to `answer` instead of running.
class DeviceTabTest : public ::testing::Test, public Controls {
 protected:
  void SetUp() override {
    tab = std::make_unique<DeviceConfigTab>(s, [](const std::string&) {});
    tab->pinEditor().runDialog = [this](QDialog& d) {
      ++dialogsRun;
      if (answer) answer(d);
    };
    tab->resize(1200, 900);
    tab->show();
    root = tab.get();
  }
  // Hidden while whole: the focused box validates on the way out (the window does the same).
  void TearDown() override { tab->hide(); }
  void doubleClick(const QString& name) { QTest::mouseDClick(w(name), Qt::LeftButton); }
  void goToPin(int shownPin) { enter("TextPAspOutput", QString::number(shownPin)); }
  void chooseLayout(int index) { click(QString("OptionPAspConf_%1").arg(index)); }
  void chooseInstruction(int row, int opcode) {
    auto* c = w<QComboBox>(QString("ComboPAspInst_%1").arg(row));
    c->setCurrentIndex(c->findData(opcode));
  }
  void showDetails() { click("CheckPAspShowDetails"); }
  Instruction& slot(int row) { return s.model.instr(s.model.CurPin, s.model.CurAspect, row); }

  FakeClock clock;
  FakeSerialPort port{clock};
  RecordingPrompter prompter;
  Session s{port, clock, prompter};
  std::unique_ptr<DeviceConfigTab> tab;
  std::function<void(QDialog&)> answer;
  int dialogsRun = 0;
};

// The device tab with the details shown and pin 1 on the "4" layout.
class EditorTest : public DeviceTabTest {
 protected:
  void SetUp() override {
    DeviceTabTest::SetUp();
    showDetails();
    chooseLayout(1);
  }
};

}  // namespace vorn::test
