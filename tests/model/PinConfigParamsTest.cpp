#include <gtest/gtest.h>

#include "model/PinConfigParams.h"

namespace vorn {
namespace {

TEST(PinKinds, UnknownTypesAreReported) {
  for (int type : {6, 7, 255, -1}) EXPECT_EQ(KindOfType(type), std::nullopt) << type;
  EXPECT_EQ(KindOfType(3), PinKind::Pwm);
  EXPECT_EQ(KindOfType(5), PinKind::Input);
  EXPECT_EQ(UnknownConfigurationMessage(7), "Unknown configuration: 7");
}

TEST(ServoFlags, DecodeAndEncode) {
  const std::pair<uint8_t, ServoFlags> cases[] = {
      {0, {0, false, false, false}}, {41, {1, false, true, false}},   {0x0A, {2, false, false, false}},
      {6, {0, false, false, false}}, {0x1F, {0, true, false, false}}, {0x4C, {4, false, false, true}},
      {0x7B, {3, true, true, true}},
  };
  for (const auto& [byte, flags] : cases) EXPECT_EQ(DecodeServoFlags(byte), flags) << int(byte);
  EXPECT_EQ(EncodeServoFlags(2, false, true), 42);
  EXPECT_EQ(EncodeServoFlags(0, true, false), 24);
  EXPECT_EQ(EncodeServoFlags(4, true, true), 60);
}

TEST(FirmwareCorrections, OldServoFormat) {
  const std::tuple<PinConfigBytes, uint8_t, bool> cases[] = {
      {{1, 64, 0x12}, 41, true},                                   // old format: range S, suspended
      {{1, 64, 0x1A}, 0x1A, false},                                // bit 3 set: current format
      {{1, 64, 15}, 15, false},                                    // below 16
      {{1, 64, 0x30}, 43, true},    {{2, 64, 0x12}, 0x12, false},  // only servos
  };
  for (auto [cfg, element2, changed] : cases) {
    EXPECT_EQ(ApplyOldServoFormat(cfg), changed);
    EXPECT_EQ(cfg[2], element2);
  }
}

TEST(FirmwareCorrections, ShortPwmReply) {
  PinConfigBytes cfg{2, 10, 0, 5, 9, 9};
  EXPECT_TRUE(ApplyShortPwmReply(cfg, 4));
  EXPECT_EQ(cfg, (PinConfigBytes{2, 10, 0, 5, 0, 31}));
  PinConfigBytes full{3, 10, 0, 5, 9, 9}, servo{1, 10, 0, 5, 9, 9};
  EXPECT_FALSE(ApplyShortPwmReply(full, 6) || ApplyShortPwmReply(servo, 4));
  EXPECT_EQ(full[5], 9);

  EXPECT_FALSE(ShortPwmReplyMismatch(2, 4, PinConfigBytes{2, 0, 0, 0, 0, 31}));
  EXPECT_TRUE(ShortPwmReplyMismatch(2, 4, PinConfigBytes{2, 0, 0, 0, 1, 31}));
  EXPECT_TRUE(ShortPwmReplyMismatch(3, 5, PinConfigBytes{3, 0, 0, 0, 0, 30}));
  EXPECT_FALSE(ShortPwmReplyMismatch(2, 6, PinConfigBytes{2, 0, 0, 0, 1, 30}));
  EXPECT_FALSE(ShortPwmReplyMismatch(1, 4, PinConfigBytes{1}));
}

TEST(FirmwareCorrections, ServoElementTwoDropsInitialisedBitBeforeWrite) {
  const std::pair<PinConfigBytes, PinConfigBytes> cases[] = {
      {{1, 64, 0x50}, {1, 64, 0x10}},
      {{1, 64, 70}, {1, 64, 6}},
      {{4, 77, 99}, {4, 77, 99}},  // input elements 1 and 2 are the Vorn's and stay
  };
  for (auto [cfg, expected] : cases) {
    ReduceServoFlagsForWrite(cfg);
    EXPECT_EQ(cfg, expected);
  }
}

TEST(HardwareWarning, ServoAndInputTabsOfAGroupWithADriverTicked) {
  GeneralSettings g;
  g.HWCSink[2] = true;
  g.HWCSource[0] = true;
  const std::tuple<int, PinKind, bool> cases[] = {
      {16, PinKind::Input, true},  {23, PinKind::Servo, true},  {23, PinKind::Pwm, false},
      {24, PinKind::Input, false}, {15, PinKind::Servo, false}, {0, PinKind::Servo, true},
      {0, PinKind::Clear, false},
  };
  for (const auto& [pin, kind, shown] : cases) EXPECT_EQ(HardwareWarningVisible(g, pin, kind), shown) << pin;
}

}  // namespace
}  // namespace vorn
