#include <gtest/gtest.h>

#include "model/PinConfigParams.h"

namespace vorn {
namespace {

TEST(PinKinds, TypesMapToTabsAndUnknownTypesAreReported) {
  const std::pair<int, std::optional<PinKind>> cases[] = {
      {0, PinKind::Clear}, {1, PinKind::Servo}, {2, PinKind::Pwm}, {3, PinKind::Pwm},   {4, PinKind::Input},
      {5, PinKind::Input}, {6, std::nullopt},   {7, std::nullopt}, {255, std::nullopt}, {-1, std::nullopt},
  };
  for (const auto& [type, kind] : cases) EXPECT_EQ(KindOfType(type), kind) << type;
  EXPECT_EQ(UnknownConfigurationMessage(7), "Unknown configuration: 7");
  EXPECT_EQ(PinKindCaption(PinKind::Pwm), "PWM");
  const std::pair<int, int> sent[] = {{0, 1}, {1, 12}, {2, 6}, {3, 6}, {4, 5}, {5, 5}, {9, 1}};
  for (const auto& [type, n] : sent) EXPECT_EQ(ConfigElementsSent(type), n) << type;
}

struct BoxCase {
  ConfigBox Box;
  int Typed;
  EnteredParam Expected;
};

TEST(ServoFlags, DecodeAndEncode) {
  struct Case {
    uint8_t Byte;
    ServoFlags Expected;
  };
  const Case cases[] = {
      {0, {0, false, false, false}}, {41, {1, false, true, false}},   {0x0A, {2, false, false, false}},
      {6, {0, false, false, false}}, {0x1F, {0, true, false, false}}, {0x4C, {4, false, false, true}},
      {0x7B, {3, true, true, true}},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeServoFlags(c.Byte), c.Expected) << int(c.Byte);
  EXPECT_EQ(EncodeServoFlags(2, false, true), 42);
  EXPECT_EQ(EncodeServoFlags(0, true, false), 24);
  EXPECT_EQ(EncodeServoFlags(4, true, true), 60);
}

TEST(FirmwareCorrections, OldServoFormat) {
  struct Case {
    PinConfigBytes In;
    uint8_t Element2;
    bool Changed;
  };
  const Case cases[] = {
      {{1, 64, 0x12}, 41, true},                                   // old format: range S, suspended
      {{1, 64, 0x1A}, 0x1A, false},                                // bit 3 set: current format
      {{1, 64, 15}, 15, false},                                    // below 16
      {{1, 64, 0x30}, 43, true},    {{2, 64, 0x12}, 0x12, false},  // only servos
  };
  for (const Case& c : cases) {
    PinConfigBytes cfg = c.In;
    EXPECT_EQ(ApplyOldServoFormat(cfg), c.Changed);
    EXPECT_EQ(cfg[2], c.Element2);
  }
}

TEST(FirmwareCorrections, ShortPwmReply) {
  PinConfigBytes cfg{2, 10, 0, 5, 9, 9};
  EXPECT_TRUE(ApplyShortPwmReply(cfg, 4));
  EXPECT_EQ(cfg, (PinConfigBytes{2, 10, 0, 5, 0, 31}));
  PinConfigBytes full{3, 10, 0, 5, 9, 9};
  EXPECT_FALSE(ApplyShortPwmReply(full, 6));
  EXPECT_EQ(full[5], 9);
  PinConfigBytes servo{1, 10, 0, 5, 9, 9};
  EXPECT_FALSE(ApplyShortPwmReply(servo, 4));

  EXPECT_FALSE(ShortPwmReplyMismatch(2, 4, PinConfigBytes{2, 0, 0, 0, 0, 31}));
  EXPECT_TRUE(ShortPwmReplyMismatch(2, 4, PinConfigBytes{2, 0, 0, 0, 1, 31}));
  EXPECT_TRUE(ShortPwmReplyMismatch(3, 5, PinConfigBytes{3, 0, 0, 0, 0, 30}));
  EXPECT_FALSE(ShortPwmReplyMismatch(2, 6, PinConfigBytes{2, 0, 0, 0, 1, 30}));
  EXPECT_FALSE(ShortPwmReplyMismatch(1, 4, PinConfigBytes{1}));
}

TEST(FirmwareCorrections, ServoElementTwoDropsInitialisedBitBeforeWrite) {
  PinConfigBytes servo{1, 64, 0x50};
  ReduceServoFlagsForWrite(servo);
  EXPECT_EQ(servo[2], 0x10);
  PinConfigBytes seventy{1, 64, 70};
  ReduceServoFlagsForWrite(seventy);
  EXPECT_EQ(seventy[2], 6);
  PinConfigBytes input{4, 77, 99};  // input elements 1 and 2 are the Vorn's and stay
  ReduceServoFlagsForWrite(input);
  EXPECT_EQ(input, (PinConfigBytes{4, 77, 99}));
}

TEST(HardwareWarning, ServoAndInputTabsOfAGroupWithADriverTicked) {
  GeneralSettings g;
  g.HWCSink[2] = true;
  EXPECT_TRUE(HardwareWarningVisible(g, 16, PinKind::Input));
  EXPECT_TRUE(HardwareWarningVisible(g, 23, PinKind::Servo));
  EXPECT_FALSE(HardwareWarningVisible(g, 23, PinKind::Pwm));
  EXPECT_FALSE(HardwareWarningVisible(g, 24, PinKind::Input));
  EXPECT_FALSE(HardwareWarningVisible(g, 15, PinKind::Servo));
  g.HWCSource[0] = true;
  EXPECT_TRUE(HardwareWarningVisible(g, 0, PinKind::Servo));
  EXPECT_FALSE(HardwareWarningVisible(g, 0, PinKind::Clear));
}

}  // namespace
}  // namespace vorn
