#include <gtest/gtest.h>

#include "model/Addresses.h"

namespace vorn {
namespace {

TEST(AddressRange, DccAndExtendedDccLabelsAndOverflow) {
  const struct {
    RangeLabel (*label)(int, bool, int, int);
    int Address;
    bool Allow0;
    int NumberBase;
    int Total;
    RangeLabel Expected;
  } cases[] = {
      {DCCRangeLabel, 1, false, 1, 32, {"Output 1 .. 32", false}},
      {DCCRangeLabel, 1, false, 0, 32, {"Output 1 .. 32", false}},  // the base only moves with address 0
                                                                    // allowed
      {DCCRangeLabel, 503, false, 1, 32, {"Output 2009 .. 2040", false}},  // 503 x 4 + 32 = 2044 still fits
      {DCCRangeLabel, 504, false, 1, 32, {"Output 2013 .. OVFLOW", true}},
      {DCCRangeLabel, 0, true, 0, 4, {"Output 0 .. 3", false}},
      {DCCRangeLabel, 0, true, 1, 4, {"Output 1 .. 4", false}},
      {DCCRangeLabel, 2, true, 1, 1, {"Output 9 .. 9", false}},
      {DCCRangeLabel, 510, false, 1, 0, {"No addr in use", false}},
      {XDCCRangeLabel, 2015, false, 1, 31, {"Output 2015 .. 2045", false}},  // exactly 2046
      {XDCCRangeLabel, 2015, false, 1, 32, {"Output 2015 .. OVERFLOW", true}},
      {XDCCRangeLabel, 0, true, 0, 2, {"Output 0 .. 1", false}},
      {XDCCRangeLabel, 0, true, 1, 2, {"Output 1 .. 2", false}},
      {XDCCRangeLabel, 2046, false, 1, 0, {"No addr in use", false}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.label(c.Address, c.Allow0, c.NumberBase, c.Total), c.Expected) << c.Address << "/" << c.Total;
  }
}

TEST(PinAddress, DccAndExtendedDccOfCurrentPin) {
  ConfigModel m;
  GeneralSettings g;
  ShowDCCRange(m, g);
  ShowXDCCRange(m, g);
  m.CurPin = 5;
  EXPECT_EQ(DCCAddressText(m), "6");
  EXPECT_EQ(XDCCAddressText(m), "6");

  // A count of 0 shows "-" and moves every later pin down.
  m.CurPin = 2;
  EXPECT_EQ(SetAddressCount(m, AddressKind::DCC, 0), 0);
  EXPECT_EQ(DCCAddressText(m), "-");
  m.CurPin = 5;
  EXPECT_EQ(DCCAddressText(m), "5");
  m.CurPin = 3;
  EXPECT_EQ(SetAddressCount(m, AddressKind::XDCC, 0), 0);
  EXPECT_EQ(XDCCAddressText(m), "-");
}

TEST(PinAddress, SerialAndPinAddressTexts) {
  ConfigModel m;
  SerialAddressContext c;
  c.ModuleAddress = 2;
  m.CurPin = 4;
  EXPECT_EQ(SerialAddressText(m, c), (SerialAddressTexts{"69", "3.5"}));
  c.UseExtAddress = true;
  c.ExtAddress = 10;
  EXPECT_EQ(SerialAddressText(m, c), (SerialAddressTexts{"69", "3.11.5"}));
  m.NumberBase = 0;
  EXPECT_EQ(SerialAddressText(m, c), (SerialAddressTexts{"68", "2.10.4"}));

  // A run starting at 32 or later has no plain serial address, but has a flexible one.
  c = SerialAddressContext{};
  m.NumberBase = 1;
  for (int p = 0; p < kPinsInUse; ++p) m.pin(p).SerialCount = 6;
  m.pin(0).SerialCount = 2;
  m.RecalcSerialStart();
  m.CurPin = 6;  // starts at 32
  EXPECT_EQ(SerialAddressText(m, c), (SerialAddressTexts{"-", "1.33"}));
  m.pin(0).SerialCount = 1;  // starts at 31, the last plain one
  m.RecalcSerialStart();
  EXPECT_EQ(SerialAddressText(m, c), (SerialAddressTexts{"32", "1.32"}));
  m.pin(0).SerialCount = 2;
  m.RecalcSerialStart();
  c.PalkFlexEnabled = true;
  m.PalkFlexStart = 10;
  EXPECT_EQ(SerialAddressText(m, c), (SerialAddressTexts{"73", "1.33"}));
  m.pin(0).SerialCount = 6;
  m.RecalcSerialStart();
  m.CurPin = 21;  // starts at 126; pin addresses end at 127
  EXPECT_EQ(SerialAddressText(m, c).Pin, "1.127");
  m.CurPin = 22;
  EXPECT_EQ(SerialAddressText(m, c).Pin, "-");

  // No serial addresses: both labels "-", whatever the others hold.
  m.pin(22).SerialCount = 0;
  EXPECT_EQ(SerialAddressText(m, c), (SerialAddressTexts{"-", "-"}));
}

TEST(AddressCounts, EditorsClampAndRebuildTheirTable) {
  const std::tuple<AddressKind, int, int> cases[] = {
      {AddressKind::DCC, -1, 0},   {AddressKind::DCC, 9, 6},   {AddressKind::DCC, 3, 3},
      {AddressKind::XDCC, 5, 1},   {AddressKind::XDCC, -2, 0}, {AddressKind::Serial, 7, 6},
      {AddressKind::Serial, 2, 2},
  };
  for (const auto& [kind, typed, expected] : cases) {
    ConfigModel m;
    m.CurPin = 10;
    EXPECT_EQ(SetAddressCount(m, kind, typed), expected);
    const bool dcc = kind == AddressKind::DCC, xdcc = kind == AddressKind::XDCC;
    EXPECT_EQ(dcc ? m.DCCTotal : xdcc ? m.XDCCTotal : m.SerialTotal, 31 + expected);
    EXPECT_EQ((dcc ? m.DCCStart : xdcc ? m.XDCCStart : m.SerialStart)[11], 10 + expected);
  }
}

}  // namespace
}  // namespace vorn
