// A job in the window against the simulated Vorn: input made during the job is dropped,
// Stop and Escape end it between two transactions, and the status line says how it ended.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/QtSerialPort.h"
#include "ui/MainWindow.h"

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

class JobControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Slow enough that the job is still running when the test acts on it.
    sim = std::make_unique<SimProcess>(std::vector<std::string>{"--demo", "--latency-ms", "3"});
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
    ASSERT_TRUE(port.isOpen());
  }
  QWidget* find(const char* name) { return window->findChild<QWidget*>(name); }
  Session& session() { return window->session(); }

  // Clicks a job button and runs the job as Timer1 does; `during` runs once inside the job,
  // at the first repaint after it got past `pins` pins of the step whose progress starts with
  // `step`.
  void runJob(const char* button, const std::string& step, int pins, const std::function<void()>& during) {
    QTimer poll;
    poll.setInterval(0);
    bool acted = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      const Progress& p = session().lastProgress();
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

  std::unique_ptr<SimProcess> sim;
  QtSerialPort port;
  RecordingPrompter prompter;
  std::unique_ptr<MainWindow> window;
};

TEST_F(JobControlTest, ClicksDuringReadAllAreDroppedAndStopLeavesEverythingAsItWas) {
  const ConfigModel before = session().model;
  const GeneralSettings generalBefore = session().general;
  runJob("CommandReadAll", "Reading pin", 2, [&] {
    postClick(find("CommandWriteAll"));
    QCoreApplication::postEvent(find("TextGenIDString"),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x"));
    postClick(find("CommandStop"));
  });
  EXPECT_TRUE(window->jobs().lastStopped());
  EXPECT_EQ(window->statusText(), "Read All stopped; nothing was changed");
  EXPECT_TRUE(session().model.Pins == before.Pins);
  EXPECT_TRUE(session().model.EventOn == before.EventOn);
  EXPECT_TRUE(session().general == generalBefore);
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

TEST_F(JobControlTest, EscapeStopsWriteAllAfterAWholePinAndSaysWhichWereWritten) {
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
