// Not a check: when VORN_SCREENSHOT_DIR is set (scripts/screenshots.sh), saves pictures of the
// device configuration tab with details on: a four-aspect signal and a servo pin, as read
// from the demo Vorn.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QTest>
#include <cstdlib>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/QtSerialPort.h"
#include "operations/Jobs.h"
#include "operations/Session.h"
#include "ui/DeviceConfigTab.h"
#include "ui/DeviceConfigWidgets.h"

namespace vorn::test {
namespace {

// The device tab on a session linked to the demo Vorn; pictures go to VORN_SCREENSHOT_DIR.
class DeviceTabScreenshots : public ::testing::Test {
 protected:
  void SetUp() override {
    out = std::getenv("VORN_SCREENSHOT_DIR");
    if (!out) GTEST_SKIP() << "VORN_SCREENSHOT_DIR not set";
    ASSERT_TRUE(sim.ok()) << sim.error();
    s.onDisplayRefresh = [this] { tab.refreshAll(); };
    s.onPinConfigRefresh = [this] { tab.refreshPinConfig(); };
    ASSERT_TRUE(s.link.openDevice(sim.path()));
  }
  const char* out = nullptr;
  SimProcess sim{{"--demo"}};
  RecordingPrompter prompter;
  QtSerialPort port;
  Session s{port, SystemClock(), prompter};
  JobRunner jobs{s};
  DeviceConfigTab tab{s, [this](const std::string& name) {
                        if (jobs.request(name)) jobs.tick();
                      }};
};

TEST_F(DeviceTabScreenshots, DeviceConfigurationTabDetails) {
  tab.resize(1280, 820);
  tab.show();
  tab.findChild<QAbstractButton*>("CommandReadAllPins")->click();
  s.model.pin(3).Description = "Distant signal";
  const char* aspects[4] = {"Caution", "Clear", "Expect stop", "Dark"};
  for (int a = 0; a < 4; ++a) s.model.aspect(3, a).Description = aspects[a];
  s.model.pin(4).Description = "Point 1 servo";
  s.model.aspect(4, 0).Description = "Straight";
  tab.setExpertMode(true);
  tab.findChild<QAbstractButton*>("CheckPAspShowDetails")->setChecked(true);

  struct Shot {
    int shownPin;
    const char* file;
  } shots[] = {{4, "device-tab-signal.png"}, {5, "device-tab-servo.png"}};
  for (const Shot& shot : shots) {
    auto* pin = tab.findChild<ValidatedEdit*>("TextPAspOutput");
    pin->setText(QString::number(shot.shownPin));
    emit pin->validate();
    tab.refreshPinConfig();
    QTest::qWait(150);
    EXPECT_TRUE(tab.grab().save(QDir(out).filePath(shot.file))) << shot.file;
  }
}

// The pin overview after Read All from the demo Vorn, an edited step on the servo pin and
// Verify All: the servo pin is "changed, differs", the others "ok".
TEST_F(DeviceTabScreenshots, PinOverviewWithChangedAndVerifiedPins) {
  tab.resize(1600, 900);
  tab.show();
  ASSERT_TRUE(jobs.request("ReadAll") && jobs.tick() && jobs.lastResult()) << prompter.last();
  s.model.pin(3).Description = "Distant signal";
  s.model.pin(4).Description = "Point 1 servo";
  s.model.pin(4).DeviceName = "Servo turnout";
  s.model.pin(7).Description = "Fire flicker";
  s.model.instr(4, 1, 0).Par1 = static_cast<uint8_t>(s.model.instr(4, 1, 0).Par1 ^ 8);
  ASSERT_TRUE(jobs.request("VerifyAll") && jobs.tick());
  tab.findChild<QAbstractButton*>("CheckPAspShowDetails")->setChecked(true);
  auto* pin = tab.findChild<ValidatedEdit*>("TextPAspOutput");
  pin->setText("5");
  emit pin->validate();
  tab.refreshPinConfig();
  tab.refreshOverview();
  QTest::qWait(150);
  EXPECT_TRUE(tab.grab().save(QDir(out).filePath("device-tab-overview.png")));
}

}  // namespace
}  // namespace vorn::test
