// The window against the simulated Vorn on a pseudo-terminal, through the real serial port.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/QtSerialPort.h"
#include "ui/MainWindow.h"
#include "ui/SecondaryWindows.h"

namespace vorn::test {
namespace {

void postClick(QWidget* w) {
  const QPointF at(w->width() / 2.0, w->height() / 2.0);
  const QPointF global = w->mapToGlobal(at);
  QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                 Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                 Qt::NoButton, Qt::NoModifier));
}

class DeviceWindowTest : public ::testing::Test {
 protected:
  void start(std::vector<std::string> simArgs) {
    sim = std::make_unique<SimProcess>(std::move(simArgs));
    ASSERT_TRUE(sim->ok()) << sim->error();
    const std::string path = sim->path();
    window = std::make_unique<MainWindow>(port, SystemClock(), &prompter, [path] {
      PortListing l;
      l.entries.push_back({1, path, "1  " + path});
      return l;
    });
    window->setUnsavedQuestion([] { return QMessageBox::Discard; });
    window->show();
    auto* combo = window->findChild<QComboBox*>("ComboPort");
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    ASSERT_TRUE(port.isOpen()) << port.errorText();
  }
  template <class W = QWidget>
  W* find(const QString& name) {
    return window->findChild<W*>(name);
  }
  void clickButton(const QString& name) {
    auto* b = find<QAbstractButton>(name);
    ASSERT_TRUE(b && b->isVisible() && b->isEnabled()) << name.toStdString();
    QTest::mouseClick(b, Qt::LeftButton);
  }

  // Clicks a job button and runs the job as Timer1 does; `during` runs once inside the job,
  // at the first repaint after it got past `pins` pins of the step whose progress starts with
  // `step`.
  void runJob(const char* button, const std::string& step, int pins, const std::function<void()>& during) {
    QTimer poll;
    poll.setInterval(0);
    bool acted = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      const Progress& p = window->session().lastProgress();
      if (acted || !window->jobs().running() || p.text.rfind(step, 0) != 0 || p.done < pins) return;
      acted = true;
      during();
    });
    poll.start();
    QTest::mouseClick(find(button), Qt::LeftButton);
    window->timer1Tick();
    poll.stop();
    EXPECT_TRUE(acted) << "the job ended before the test could act";
  }

  RecordingPrompter prompter;
  QtSerialPort port;
  std::unique_ptr<SimProcess> sim;
  std::unique_ptr<MainWindow> window;
};

// Read All fills the general tab from the demo Vorn; Verify All then finds no difference, and
// one after an edit of the window.
TEST_F(DeviceWindowTest, ReadAllThenVerifyAllAgainstTheDemoVorn) {
  start({"--demo"});
  clickButton("CommandReadAll");
  EXPECT_TRUE(find("LabelAction")->isVisible());
  window->timer1Tick();
  ASSERT_TRUE(prompter.entries.empty()) << prompter.last();
  EXPECT_FALSE(find("LabelAction")->isVisible());
  EXPECT_EQ(find<QLabel>("LabelGenVersionString")->text(), "3.0.1.12");
  EXPECT_EQ(find<QLineEdit>("TextGenIDString")->text(), "Demo Layout");
  EXPECT_EQ(find<QLineEdit>("TextGenXDCCAddress")->text(), "1500");
  EXPECT_TRUE(find<QCheckBox>("ChkGenHWCSource_3")->isChecked());
  EXPECT_FALSE(find<QCheckBox>("ChkGenHWCSource_0")->isChecked());
  EXPECT_EQ(find<QCheckBox>("CheckLCOrange_7")->checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(find<QLineEdit>("TextGenPalkaddr")->text(), "41");
  EXPECT_TRUE(find<QRadioButton>("OptionGenSerialParity_3")->isChecked());
  EXPECT_FALSE(find<QCheckBox>("CheckInitEE_7")->isChecked());
  EXPECT_TRUE(window->statusText().startsWith("Read All finished: 32 pins in "))
      << window->statusText().toStdString();

  // The report is modal: close it as soon as it shows.
  QTimer closer;
  closer.setInterval(20);
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* r = window->reportWindow(); r && r->isVisible()) r->accept();
  });
  closer.start();
  clickButton("CommandVerifyAll");
  window->timer1Tick();
  ASSERT_NE(window->reportWindow(), nullptr);
  EXPECT_EQ(window->statusText(), "Verify OK") << window->reportWindow()->reportText().toStdString();
  window->session().general.IDString = "Elsewhere";
  clickButton("CommandVerifyAll");
  window->timer1Tick();
  EXPECT_EQ(window->statusText(), "Verification found 1 difference")
      << window->reportWindow()->reportText().toStdString();
}

TEST_F(DeviceWindowTest, AVanishedPortEndsTheJobOnceAndStopsTheMonitor) {
  start({"--demo"});
  prompter.answers = {true};
  QTest::mouseClick(find("Release"), Qt::RightButton);  // expert mode for the Test tab
  find<QTabWidget>("SSTab_Main")->setCurrentIndex(3);
  window->activateWindow();
  clickButton("CommandFBM_1");
  ASSERT_TRUE(find<QPlainTextEdit>("textFBM")->toPlainText().startsWith("Start Monitoring"));
  sim->stop();
  clickButton("CommandReadAll");
  window->timer1Tick();
  EXPECT_FALSE(find("LabelAction")->isVisible());
  EXPECT_FALSE(port.isOpen());
  EXPECT_LE(prompter.entries.size(), 3u) << "one failure, not a stack of boxes";
  const size_t before = prompter.entries.size();
  for (int i = 0; i < 5; ++i) QTest::qWait(110);  // Timer2 ticks with the port gone
  EXPECT_EQ(prompter.entries.size(), before);
  EXPECT_TRUE(find<QPlainTextEdit>("textFBM")->toPlainText().contains("Monitoring Stopped"));
}

TEST_F(DeviceWindowTest, ClicksDuringReadAllAreDroppedAndStopLeavesEverythingAsItWas) {
  start({"--demo", "--latency-ms", "3"});  // slow enough to act during the job
  const ConfigModel before = window->session().model;
  const GeneralSettings generalBefore = window->session().general;
  runJob("CommandReadAll", "Reading pin", 2, [&] {
    postClick(find("CommandWriteAll"));
    QCoreApplication::postEvent(find("TextGenIDString"),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x"));
    postClick(find("CommandStop"));
  });
  EXPECT_TRUE(window->jobs().lastStopped());
  EXPECT_EQ(window->statusText(), "Read All stopped; nothing was changed");
  EXPECT_TRUE(window->session().model.Pins == before.Pins);
  EXPECT_TRUE(window->session().model.EventOn == before.EventOn);
  EXPECT_TRUE(window->session().general == generalBefore);
  EXPECT_EQ(window->findChild<QLineEdit*>("TextGenIDString")->text(), "");
  EXPECT_FALSE(window->isWindowModified());

  // Nothing clicked during the read acts afterwards.
  QTest::qWait(450);
  EXPECT_EQ(window->jobs().PendingJob(), "");
  EXPECT_EQ(window->jobs().lastJob(), "ReadAll");
  for (const std::string& line : sim->logLines("VORN "))
    EXPECT_EQ(line.find("data=96,"), std::string::npos) << line;
  EXPECT_FALSE(find("CommandStop")->isVisible());
  EXPECT_TRUE(prompter.entries.empty()) << prompter.last();
}

TEST_F(DeviceWindowTest, EscapeStopsWriteAllAfterAWholePinAndSaysWhichWereWritten) {
  start({"--demo", "--latency-ms", "3"});
  const std::vector<std::string> before = sim->dumpState();
  ASSERT_FALSE(before.empty());
  runJob("CommandWriteAll", "Writing pin", 3, [&] {
    QCoreApplication::postEvent(window.get(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  });
  const QRegularExpressionMatch m =
      QRegularExpression(
          "^Write All stopped after pin (\\d+) of 32: the general settings except the addresses "
          "and pins 1 to (\\d+) were written$")
          .match(window->statusText());
  ASSERT_TRUE(m.hasMatch()) << window->statusText().toStdString();
  const int written = m.captured(1).toInt();
  EXPECT_EQ(m.captured(2).toInt(), written);
  EXPECT_GE(written, 3);
  ASSERT_LT(written, 32);

  // The pins written hold the window's (empty) programs; the others are untouched.
  const std::vector<std::string> after = sim->dumpState();
  int changed = 0;
  for (int p = 0; p < 32; ++p) {
    const std::string layout = SimProcess::pinField(after, p, "layout");
    if (p < written) {
      EXPECT_EQ(layout, "0") << "pin " << p;
      changed += SimProcess::pinField(before, p, "layout") != "0";
    } else {
      EXPECT_EQ(layout, SimProcess::pinField(before, p, "layout")) << "pin " << p;
      EXPECT_EQ(SimProcess::pinField(after, p, "stored"), SimProcess::pinField(before, p, "stored"))
          << "pin " << p;
    }
  }
  EXPECT_GT(changed, 0) << "the demo's first pins hold programs";
  EXPECT_TRUE(prompter.entries.empty()) << prompter.last();
}

}  // namespace
}  // namespace vorn::test
