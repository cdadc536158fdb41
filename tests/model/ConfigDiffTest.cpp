#include "model/ConfigDiff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace vorn {
namespace {

// A small programmed configuration: pin 4 a described servo with a 4-aspect program,
// pin 5 part of pin 4's device.
VornConfiguration Base() {
  VornConfiguration c;
  PinData& servo = c.model.pin(4);
  servo.Description = "Point servo";
  servo.DeviceName = "Servo turnout";
  servo.AspectConfig = kLayout4x9;
  servo.PinConfig[0] = 1;
  servo.Aspects[2].Description = "Thrown";
  servo.Aspects[2].Instr[3] = Instruction{96, 0, 4, 0, 10, 0};
  c.model.pin(5).DevicePointer = -1;
  c.general.DCCAddress = 12;
  return c;
}

TEST(ConfigDiff, OneLinePerKindOfDifference) {
  const struct {
    std::function<void(VornConfiguration&)> edit;
    std::vector<std::string> lines;
    ChangeItem item;
  } cases[] = {
      {[](auto& c) { c.general.DCCAddress = 14; },
       {"General: DCC address 12 -> 14"},
       ChangeItem::GenDCCAddress},
      {[](auto& c) { c.general.ModuleExtAddress = 4; },
       {"General: module extended address 1 -> 5"},
       ChangeItem::GenExtAddress},
      {[](auto& c) { c.model.eventOff(6, 2) = 3; },
       {"Pin 7: event-off for input 2: none -> aspect 3"},
       ChangeItem::EventOff},
      {[](auto& c) { c.general.XGM[15] = true; },
       {"General: extended group mask 15 off -> on"},
       ChangeItem::GenXGM},
      {[](auto& c) { c.initEnable[5] = false; },
       {"Enable map: event-off of input 1 at start enabled -> disabled"},
       ChangeItem::EnableMaps},
      {[](auto& c) { c.model.pin(4).PinConfig[0] = 2, c.model.pin(4).PinConfig[5] = 31; },
       {"Pin 5 \"Point servo\": type Servo -> PWM", "Pin 5 \"Point servo\": configuration byte 5 0 -> 31"},
       ChangeItem::PinConfig},
      {[](auto& c) { c.model.pin(0).SerialCount = 2; },
       {"Pin 1: serial addresses 1 -> 2"},
       ChangeItem::PinAddresses},
      {[](auto& c) { c.model.pin(5).DevicePointer = 0; },
       {"Pin 6: device part of \"Servo turnout\" on Pin 5 \"Point servo\" -> own device"},
       ChangeItem::PinAddresses},
      {[](auto& c) { c.model.pin(4).AspectConfig = 0; },
       {"Pin 5 \"Point servo\": aspect layout 4 -> 0"},
       ChangeItem::PinLayout},
      {[](auto& c) { c.model.pin(4).InitAspect = 3; },
       {"Pin 5 \"Point servo\": initial aspect none -> 2"},
       ChangeItem::PinInit},
      {[](auto& c) { c.model.pin(4).Aspects[2].Description = "Closed"; },
       {"Pin 5 \"Point servo\": aspect 2 description \"Thrown\" -> \"Closed\" (file only)"},
       ChangeItem::PinFileOnly},
      {[](auto& c) { c.model.pin(4).Aspects[2].Instr[3] = Instruction{1, 0, 0, 2, 0, 0}; },
       {"Pin 5 \"Point servo\": aspect 2 step 3: SetLevel & Wait 4, 0, 10, 0 -> Jump 0, 2, 0"},
       ChangeItem::PinAspect},
      {[](auto& c) { c.model.pin(4).Aspects[0].Instr[0].Par3 = 1; },  // a byte the step does not use
       {"Pin 5 \"Point servo\": aspect 0 step 0: code 0 bytes 0, 0, 0, 0 -> code 0 bytes 0, 0, 0, 1"},
       ChangeItem::PinAspect},
  };
  for (const auto& c : cases) {
    VornConfiguration after = Base();
    c.edit(after);
    std::vector<std::string> lines;
    for (const auto& ch : CompareConfigurations(Base(), after, 1)) {
      lines.push_back(ch.text);
      EXPECT_EQ(ch.item, c.item) << ch.text;
    }
    EXPECT_EQ(lines, c.lines);
  }
}

TEST(ConfigDiff, EqualGivesNothingAndBeyondLayoutOrTypeIsIgnored) {
  VornConfiguration after = Base();
  EXPECT_TRUE(CompareConfigurations(Base(), after, 1).empty());
  after.model.pin(4).Aspects[5].Instr[0].Opcode = 8;  // layout 4 holds aspects 0..3 only
  after.model.pin(4).Aspects[0].Instr[9].Opcode = 8;  // and steps 0..8
  after.model.pin(4).PinConfig[12] = 7;               // a servo sends bytes 0..11
  after.model.pin(4).LiveLevel = 40;                  // the Vorn's live state, not its configuration
  after.model.eventOn(3, 4) = 9;                      // element 4 is unused
  after.model.CurPin = 9;
  EXPECT_TRUE(CompareConfigurations(Base(), after, 1).empty());
  EXPECT_EQ(PinTypeText(5) + ", " + PinTypeText(6), "Input inverted, type 6");  // a type no Vorn has
}

TEST(ConfigDiff, NumberingFollowsTheBaseAndDeviceChangesMarkTheirPins) {
  VornConfiguration after = Base();
  after.model.eventOn(6, 0) = -1;
  after.model.pin(4).Description = "Servo";
  after.model.pin(9).InitAspect = 1;
  const auto from0 = CompareConfigurations(Base(), after, 0);
  ASSERT_EQ(from0.size(), 3u);
  EXPECT_EQ(from0[0].text, "Pin 4 \"Servo\": description \"Point servo\" -> \"Servo\" (file only)");
  EXPECT_EQ(from0[1].text, "Pin 9: initial aspect none -> 0");
  EXPECT_EQ(from0[2].text, "Pin 6: event-on for input 0: aspect 0 -> none");
  const auto marked = PinsWithDeviceChanges(from0);  // a description is not on the Vorn
  EXPECT_TRUE(marked[6] && marked[9] && std::count(marked.begin(), marked.end(), true) == 2);
}

}  // namespace
}  // namespace vorn
