
#include "Fixtures.h"
#include "model/PinConfigParams.h"
#include "ui/PinConfigEditor.h"

namespace vorn::test {
namespace {

class PinConfigEditorTest : public DeviceTabTest {
 protected:
  void SetUp() override {
    DeviceTabTest::SetUp();
    showDetails();
  }
  QTabWidget* tabs() { return w<QTabWidget>("SSTabPCFG"); }
  PinData& pin() { return s.model.pin(s.model.CurPin); }
  void selectTab(int i) { tabs()->setCurrentIndex(i); }
  // Types into a box and clicks it (validation on click).
  void typeAndClick(const char* name, const char* value) {
    w<QLineEdit>(name)->setText(value);
    QTest::mouseClick(w(name), Qt::LeftButton);
  }
};

TEST_F(PinConfigEditorTest, TabChangeInstallsTheKindDefaults) {
  selectTab(2);
  EXPECT_EQ(pin().PinConfig[0], kCfgPwm);
  EXPECT_EQ(text("TextPWMAccel"), "28");
  EXPECT_EQ(text("TextPWMOnLevel"), "31");
  enter("TextPWMAccel", "5");
  click("OptionPWMDriveMode_1");  // "Linear", stored at once
  EXPECT_EQ(DecodePwmModes(pin().PinConfig[2]), (PwmModes{1, 0}));
  pin().PinConfig[12] = 99;
  selectTab(1);
  const KindDefaults& servo = DefaultsFor(PinKind::Servo);
  for (size_t i = 0; i < 12; ++i) EXPECT_EQ(pin().PinConfig[i], servo.Config[i]) << i;
  EXPECT_EQ(pin().LiveLevel, servo.LiveLevel);
  EXPECT_EQ(pin().PinConfig[12], 99);
  EXPECT_EQ(text("TextSrvFriction"), "58");
  selectTab(2);
  EXPECT_EQ(pin().PinConfig[3], 28);  // the defaults again, not the old values
}

TEST_F(PinConfigEditorTest, NavigatingShowsEachPinOnItsTabWithoutChangingIt) {
  s.model.pin(3).PinConfig = {kCfgPwmInverted, 7, 3, 9, 2, 30, 0, 0, 0, 0, 0, 0, 0};
  s.model.pin(4).PinConfig = {kCfgInputLowActive, 11, 12, 6, 8, 0, 0, 0, 0, 0, 0, 0, 0};
  const PinConfigBytes pwm = s.model.pin(3).PinConfig;
  selectTab(1);
  goToPin(4);
  EXPECT_EQ(tabs()->currentIndex(), 2);
  EXPECT_EQ(text("TextPWMInitLevel"), "7");
  EXPECT_TRUE(w<QAbstractButton>("CheckPWMInverted")->isChecked());
  EXPECT_TRUE(w<QAbstractButton>("OptionPWMAccelMode_1")->isChecked());
  EXPECT_TRUE(w<QAbstractButton>("OptionPWMDriveMode_1")->isChecked());
  goToPin(5);
  EXPECT_EQ(tabs()->currentIndex(), 3);
  EXPECT_TRUE(w<QAbstractButton>("CheckInputInvert")->isChecked());
  EXPECT_EQ(s.model.pin(3).PinConfig, pwm);
  // The input boxes touch only their own bytes.
  w<UpDown>("UpDownInputDelay_1")->stepBy(-1);
  w<UpDown>("UpDownInputDelay_0")->stepBy(1);
  EXPECT_EQ(s.model.pin(4).PinConfig,
            (PinConfigBytes{kCfgInputLowActive, 11, 12, 7, 7, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(PinConfigEditorTest, BoxesClampTypedValuesSpinnersUseTheirOwnRange) {
  selectTab(1);
  struct Case {
    const char* box;
    const char* typed;
    const char* shown;
    int element;
    int stored;
  } cases[] = {
      {"TextSrvMaxSpd", "200", "127", 6, 127}, {"TextSrvMaxSpd", "0", "1", 6, 1},
      {"TextBounceUp", "10", "0", 10, 64},     {"TextBounceUp", "-70", "-63", 10, 1},
      {"TextMidpoint", "-64", "-64", 3, 0},    {"TextSrvMaxAccel", "0", "1", 7, 1},
  };
  for (const Case& c : cases) {
    typeAndClick(c.box, c.typed);
    EXPECT_EQ(text(c.box), c.shown) << c.box << " " << c.typed;
    EXPECT_EQ(pin().PinConfig[static_cast<size_t>(c.element)], c.stored) << c.box << " " << c.typed;
  }
  typeAndClick("TextSrvMaxAccel", "1");
  w<UpDown>("UpDownMaxAccel")->stepBy(-1);
  EXPECT_EQ(pin().PinConfig[7], 0);  // the spinner may go where the box may not
  typeAndClick("TextBounceUp", "-63");
  w<UpDown>("UpDownBU")->stepBy(-1);
  EXPECT_EQ(pin().PinConfig[10], 0);
}

TEST_F(PinConfigEditorTest, LiveValuesBecomeInitialValues) {
  selectTab(2);
  w<QSlider>("SliderPWM")->setValue(12);
  EXPECT_EQ(pin().LiveLevel, 12);
  EXPECT_EQ(text("TextPWMLevel"), "12");
  click("LabelPWMInitialLevel");
  EXPECT_EQ(text("TextPWMInitLevel"), "12");
  EXPECT_EQ(pin().PinConfig[1], 12);
  // Typed initial levels store at once while in range.
  w<QLineEdit>("TextPWMInitLevel")->setText("40");
  EXPECT_EQ(pin().PinConfig[1], 12);
  w<QLineEdit>("TextPWMInitLevel")->setText("3");
  EXPECT_EQ(pin().PinConfig[1], 3);
  // The level button clamps and moves the slider; the port is closed, so nothing is sent.
  w<QLineEdit>("TextPWMLevel")->setText("40");
  click("CommandPWMLevel");
  EXPECT_EQ(text("TextPWMLevel"), "31");
  EXPECT_EQ(w<QSlider>("SliderPWM")->value(), 31);
  EXPECT_EQ(w<QSlider>("SliderPWM")->minimum(), 0) << "the slider reaches dark";
  EXPECT_TRUE(port.written.empty());

  selectTab(1);
  w<QSlider>("SliderServo")->setValue(-20);
  EXPECT_EQ(pin().LiveLevel, 44);
  doubleClick("TextSrvInitPos");
  EXPECT_EQ(text("TextSrvInitPos"), "-20");
  EXPECT_EQ(pin().PinConfig[1], 44);
}

TEST_F(PinConfigEditorTest, ServoFlagsAndRange) {
  selectTab(1);
  pin().PinConfig[2] = kServoFlagInitialised;
  tab->refreshPinConfig();
  EXPECT_TRUE(w<QAbstractButton>("ChkSrvInitialized")->isChecked());
  click("OptionServoRange_2");
  click("ChkSrvSuspended");
  EXPECT_EQ(pin().PinConfig[2], 42);
  click("ChkSrvAutoSuspend");
  EXPECT_EQ(pin().PinConfig[2], 58);
  click("ChkSrvInitialized");
  EXPECT_EQ(pin().PinConfig[2], 58);
  EXPECT_FALSE(w<QAbstractButton>("ChkSrvInitialized")->isChecked());
}

}  // namespace
}  // namespace vorn::test
