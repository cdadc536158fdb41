// Not a check: when VORN_SCREENSHOT_DIR is set (scripts/screenshots.sh), saves a picture of
// each tab after a Read All from the demo Vorn.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/QtSerialPort.h"
#include "ui/MainWindow.h"

namespace vorn::test {
namespace {

TEST(Screenshots, EachTabAfterReadAll) {
  const char* out = std::getenv("VORN_SCREENSHOT_DIR");
  if (!out) GTEST_SKIP() << "VORN_SCREENSHOT_DIR not set";
  SimProcess sim({"--demo"});
  ASSERT_TRUE(sim.ok()) << sim.error();
  RecordingPrompter prompter;
  prompter.answers = {true};  // "Expert Mode?"
  QtSerialPort port;
  const std::string path = sim.path();
  MainWindow window(port, SystemClock(), &prompter, [path] {
    PortListing l;
    l.entries.push_back({1, path, "1  " + path});
    return l;
  });
  window.resize(1280, 860);
  window.show();
  auto* combo = window.findChild<QComboBox*>("ComboPort");
  combo->setCurrentIndex(0);
  emit combo->activated(0);
  QTest::mouseClick(window.findChild<QWidget*>("Release"), Qt::RightButton);
  window.requestJob("ReadAll");
  window.timer1Tick();
  EXPECT_TRUE(prompter.texts() == std::vector<std::string>{"Expert Mode?"}) << prompter.last();
  auto* tabs = window.findChild<QTabWidget*>("SSTab_Main");
  const char* names[4] = {"tab-general.png", "tab-event-control.png", "tab-device-configuration.png",
                          "tab-test.png"};
  for (int i = 0; i < 4; ++i) {
    tabs->setCurrentIndex(i);
    QTest::qWait(150);
    EXPECT_TRUE(window.grab().save(QDir(out).filePath(names[i]))) << names[i];
  }
  // The device tab with details at screen sizes ("WxH ..." in VORN_SCREENSHOT_SIZES).
  tabs->setCurrentIndex(2);
  window.findChild<QAbstractButton*>("CheckPAspShowDetails")->setChecked(true);
  const char* sizes = std::getenv("VORN_SCREENSHOT_SIZES");
  for (const QString& size : QString(sizes ? sizes : "1366x768").split(' ', Qt::SkipEmptyParts)) {
    const QStringList wh = size.split('x');
    ASSERT_EQ(wh.size(), 2) << size.toStdString();
    window.resize(wh[0].toInt(), wh[1].toInt());
    QTest::qWait(150);
    const QString name = "window-" + size + "-details.png";
    EXPECT_TRUE(window.grab().save(QDir(out).filePath(name))) << name.toStdString();
  }
}

}  // namespace
}  // namespace vorn::test
