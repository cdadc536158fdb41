// The window against the simulated Vorn on a pseudo-terminal, through the real serial port.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/QtSerialPort.h"
#include "ui/MainWindow.h"
#include "ui/SecondaryWindows.h"

namespace vorn::test {
namespace {

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

  RecordingPrompter prompter;
  QtSerialPort port;
  std::unique_ptr<SimProcess> sim;
  std::unique_ptr<MainWindow> window;
};

TEST_F(DeviceWindowTest, ReadAllFromTheDemoVornFillsTheGeneralTab) {
  start({"--demo"});
  int progressCalls = 0;
  auto windowHook = window->session().onProgress;
  window->session().onProgress = [&](const Progress& p) {
    ++progressCalls;
    windowHook(p);
  };
  clickButton("CommandReadAll");
  EXPECT_TRUE(find("LabelAction")->isVisible());
  window->timer1Tick();
  EXPECT_TRUE(prompter.entries.empty()) << prompter.last();
  EXPECT_FALSE(find("LabelAction")->isVisible());
  EXPECT_GT(progressCalls, 0);
  EXPECT_EQ(find<QLabel>("LabelGenVersionString")->text(), "3.0.1.12");
  EXPECT_EQ(find<QLineEdit>("TextGenIDString")->text(), "Demo Layout");
  EXPECT_EQ(find<QLineEdit>("TextGenDCCAddress")->text(), "300");
  EXPECT_EQ(find<QLineEdit>("TextGenXDCCAddress")->text(), "1500");
  EXPECT_TRUE(find<QRadioButton>("OptGenDCC_PRP_1")->isChecked());
  EXPECT_TRUE(find<QCheckBox>("ChkGenHWCSink_0")->isChecked());
  EXPECT_TRUE(find<QCheckBox>("ChkGenHWCSource_3")->isChecked());
  EXPECT_FALSE(find<QCheckBox>("ChkGenHWCSource_0")->isChecked());
  EXPECT_TRUE(find<QCheckBox>("CheckGenXGM_0")->isChecked());
  EXPECT_TRUE(find<QCheckBox>("CheckGenXGM_15")->isChecked());
  EXPECT_TRUE(find<QCheckBox>("CheckLCGreen_0")->isChecked());
  EXPECT_TRUE(find<QCheckBox>("CheckLCGreen_3")->isChecked());
  EXPECT_EQ(find<QCheckBox>("CheckLCOrange_7")->checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(find<QLineEdit>("TextGenPalkaddr")->text(), "41");
  EXPECT_TRUE(find<QCheckBox>("CheckGenSerialEnable")->isChecked());
  EXPECT_TRUE(find<QRadioButton>("OptionGenSerialParity_3")->isChecked());
  EXPECT_FALSE(find<QCheckBox>("CheckInitEE_7")->isChecked());
  EXPECT_TRUE(find<QCheckBox>("CheckInitEE_6")->isChecked());
  EXPECT_FALSE(find<QLineEdit>("TextResponse")->text().isEmpty());
}

TEST_F(DeviceWindowTest, VerifyAllAfterReadAllReportsOkAndKeepsTheText) {
  start({"--demo"});
  clickButton("CommandReadAll");
  window->timer1Tick();
  ASSERT_TRUE(prompter.entries.empty()) << prompter.last();
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
  EXPECT_TRUE(window->reportWindow()->reportText().endsWith("Verify OK"))
      << window->reportWindow()->reportText().toStdString();
  EXPECT_FALSE(find("LabelAction")->isVisible());
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

}  // namespace
}  // namespace vorn::test
