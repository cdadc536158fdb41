// The window on a real serial port when the simulated Vorn's port vanishes in the middle of
// Read All and Verify All: one message naming the port, the busy label goes, what was read
// stays on screen, and after a new pick of the port the same job goes through.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/QtSerialPort.h"
#include "ui/MainWindow.h"
#include "ui/SecondaryWindows.h"

namespace vorn::test {
namespace {

class FaultWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<MainWindow>(port, SystemClock(), &prompter, [this] {
      PortListing l;
      if (sim) l.entries.push_back({1, sim->path(), "1  " + sim->path()});
      return l;
    });
    window->setUnsavedQuestion([] { return QMessageBox::Discard; });
    window->show();
    // The verification report is modal: close it as soon as it shows.
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [this] {
      if (auto* r = window->reportWindow(); r && r->isVisible()) r->accept();
    });
    closer.start();
  }
  // A fresh simulator, picked in the port list as a user would after "Refresh".
  void attach(std::vector<std::string> args) {
    sim = std::make_unique<SimProcess>(std::move(args));
    ASSERT_TRUE(sim->ok()) << sim->error();
    auto* refresh = window->findChild<QAbstractButton*>("cmdRefreshComm");
    if (refresh && refresh->isVisible() && refresh->isEnabled()) QTest::mouseClick(refresh, Qt::LeftButton);
    auto* combo = window->findChild<QComboBox*>("ComboPort");
    const int index = combo->findText(QString::fromStdString("1  " + sim->path()));
    ASSERT_GE(index, 0) << "port not listed";
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    ASSERT_TRUE(port.isOpen()) << port.errorText();
  }
  void runJob(const char* button) {
    auto* b = window->findChild<QAbstractButton*>(button);
    ASSERT_TRUE(b && b->isVisible() && b->isEnabled()) << button;
    QTest::mouseClick(b, Qt::LeftButton);
    window->timer1Tick();
  }
  bool busyShown() { return window->findChild<QWidget*>("LabelAction")->isVisible(); }

  RecordingPrompter prompter;
  QtSerialPort port;
  std::unique_ptr<SimProcess> sim;
  std::unique_ptr<MainWindow> window;
  QTimer closer;
};

TEST_F(FaultWindowTest, PortVanishingMidJobLeavesTheWindowUsable) {
  for (const char* job : {"CommandReadAll", "CommandVerifyAll"}) {
    SCOPED_TRACE(job);
    attach({"--demo", "--vanish-after", "90"});
    prompter.clear();
    const std::string vanished = sim->path();
    runJob(job);
    EXPECT_TRUE(sim->waitForLog("VANISH", 1, 3000)) << "the job ended before the port vanished";
    EXPECT_FALSE(busyShown());
    EXPECT_FALSE(port.isOpen());
    ASSERT_EQ(prompter.entries.size(), 1u) << prompter.last();
    EXPECT_NE(prompter.last().find(vanished), std::string::npos) << prompter.last();
    // The general settings came before the pins: they stay shown.
    EXPECT_EQ(window->findChild<QLineEdit*>("TextGenIDString")->text(), "Demo Layout");

    attach({"--demo"});
    prompter.clear();
    runJob("CommandReadAll");
    EXPECT_TRUE(prompter.entries.empty()) << prompter.last();
    EXPECT_FALSE(busyShown());
    EXPECT_EQ(window->findChild<QLineEdit*>("TextGenIDString")->text(), "Demo Layout");
  }
}

}  // namespace
}  // namespace vorn::test
