#include <gtest/gtest.h>

#include "model/Addresses.h"

namespace vorn {
namespace {

struct RangeCase {
  int Address;
  bool Allow0;
  int NumberBase;
  int Total;
  RangeLabel Expected;
};

TEST(AddressRange, DccLabelAndOverflow) {
  const RangeCase cases[] = {
      {1, false, 1, 32, {"Output 1 .. 32", false}},
      {1, false, 0, 32, {"Output 1 .. 32", false}},         // the base only moves with address 0 allowed
      {503, false, 1, 32, {"Output 2009 .. 2040", false}},  // 503 x 4 + 32 = 2044 still fits
      {510, false, 1, 32, {"Output 2037 .. OVFLOW", true}},
      {504, false, 1, 32, {"Output 2013 .. OVFLOW", true}},
      {0, true, 0, 4, {"Output 0 .. 3", false}},
      {0, true, 1, 4, {"Output 1 .. 4", false}},
      {2, true, 1, 1, {"Output 9 .. 9", false}},
      {5, false, 1, 0, {"No addr in use", false}},
      {510, false, 1, 0, {"No addr in use", false}},
  };
  for (const RangeCase& c : cases) {
    EXPECT_EQ(DCCRangeLabel(c.Address, c.Allow0, c.NumberBase, c.Total), c.Expected)
        << c.Address << "/" << c.Total;
  }
}

TEST(AddressRange, ExtendedDccLabelAndOverflow) {
  const RangeCase cases[] = {
      {1, false, 1, 32, {"Output 1 .. 32", false}},
      {2015, false, 1, 31, {"Output 2015 .. 2045", false}},  // exactly 2046
      {2015, false, 1, 32, {"Output 2015 .. OVERFLOW", true}},
      {2046, false, 1, 1, {"Output 2046 .. OVERFLOW", true}},
      {0, true, 0, 2, {"Output 0 .. 1", false}},
      {0, true, 1, 2, {"Output 1 .. 2", false}},
      {2046, false, 1, 0, {"No addr in use", false}},
  };
  for (const RangeCase& c : cases) {
    EXPECT_EQ(XDCCRangeLabel(c.Address, c.Allow0, c.NumberBase, c.Total), c.Expected)
        << c.Address << "/" << c.Total;
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
  m.pin(0).SerialCount = 6;
  m.pin(1).SerialCount = 6;
  m.pin(2).SerialCount = 6;
  m.pin(3).SerialCount = 6;
  m.pin(4).SerialCount = 6;
  m.pin(5).SerialCount = 6;
  m.RecalcSerialStart();
  m.CurPin = 6;  // starts at 36
  EXPECT_EQ(SerialAddressText(m, c), (SerialAddressTexts{"-", "1.37"}));
  c.PalkFlexEnabled = true;
  m.PalkFlexStart = 10;
  EXPECT_EQ(SerialAddressText(m, c), (SerialAddressTexts{"77", "1.37"}));

  // No serial addresses: both labels "-", whatever the others hold.
  m.pin(6).SerialCount = 0;
  EXPECT_EQ(SerialAddressText(m, c), (SerialAddressTexts{"-", "-"}));
}

TEST(PinAddress, PinAddressBeyond127IsUnknown) {
  ConfigModel m;
  for (int p = 0; p < kPinsInUse; ++p) m.pin(p).SerialCount = 6;
  m.RecalcSerialStart();
  m.CurPin = 21;  // starts at 126
  EXPECT_EQ(SerialAddressText(m, {}).Pin, "1.127");
  m.CurPin = 22;  // starts at 132
  EXPECT_EQ(SerialAddressText(m, {}).Pin, "-");
}

TEST(AddressCounts, EditorsClampAndRebuildTheirTable) {
  struct Case {
    AddressKind Kind;
    int Typed;
    int Expected;
  };
  const Case cases[] = {
      {AddressKind::DCC, -1, 0},   {AddressKind::DCC, 9, 6},   {AddressKind::DCC, 3, 3},
      {AddressKind::XDCC, 5, 1},   {AddressKind::XDCC, -2, 0}, {AddressKind::Serial, 7, 6},
      {AddressKind::Serial, 2, 2},
  };
  for (const Case& c : cases) {
    ConfigModel m;
    m.CurPin = 10;
    EXPECT_EQ(SetAddressCount(m, c.Kind, c.Typed), c.Expected);
    const int total = c.Kind == AddressKind::DCC    ? m.DCCTotal
                      : c.Kind == AddressKind::XDCC ? m.XDCCTotal
                                                    : m.SerialTotal;
    const auto& start = c.Kind == AddressKind::DCC    ? m.DCCStart
                        : c.Kind == AddressKind::XDCC ? m.XDCCStart
                                                      : m.SerialStart;
    EXPECT_EQ(total, 31 + c.Expected);
    EXPECT_EQ(start[11], 10 + c.Expected);
  }
}

}  // namespace
}  // namespace vorn
