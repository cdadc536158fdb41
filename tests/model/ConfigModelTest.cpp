#include <gtest/gtest.h>

#include "model/ConfigModel.h"

namespace vorn {
namespace {

TEST(ConfigModel, StartValuesGiveOneAddressOfEachKindPerPin) {
  ConfigModel m;
  EXPECT_EQ(m.DCCTotal, 32);
  EXPECT_EQ(m.XDCCTotal, 32);
  EXPECT_EQ(m.SerialTotal, 32);
  for (int p = 0; p < kPinsInUse; ++p) EXPECT_EQ(m.DCCStart[p], p);
  EXPECT_EQ(m.pin(32).DCCCount, 0);
  EXPECT_EQ(m.eventOn(7, 2), 2);
  EXPECT_EQ(m.eventOff(7, 2), -1);
}

TEST(ConfigModel, DccCountZeroShiftsLaterPins) {
  ConfigModel m;
  m.pin(3).DCCCount = 0;
  m.pin(4).DCCCount = 4;
  m.RecalcDCCStart();
  EXPECT_EQ(m.DCCStart[4], 3);
  EXPECT_EQ(m.DCCStart[5], 7);
  EXPECT_EQ(m.DCCTotal, 34);
}

TEST(ConfigModel, ClearDeviceDetachesOnlyPinsReferringToTheDevicePin) {
  ConfigModel m;
  for (int p : {10, 11, 12}) {
    m.pin(p).DeviceName = "Signal";
    m.pin(p).DevicePointer = static_cast<int16_t>(10 - p);
  }
  m.pin(20).DeviceName = "Other";
  m.pin(21).DeviceName = "Other";
  m.pin(21).DevicePointer = -1;

  ConfigModel before = m;
  m.ClearDevice(11);  // not a device pin: nothing changes
  EXPECT_EQ(m.Pins, before.Pins);

  m.ClearDevice(10);
  for (int p : {10, 11, 12}) {
    EXPECT_EQ(m.pin(p).DevicePointer, 0);
    EXPECT_EQ(m.pin(p).DeviceName, "");
  }
  EXPECT_EQ(m.pin(21).DevicePointer, -1);
  EXPECT_EQ(m.pin(21).DeviceName, "Other");
}

TEST(ConfigModelDeathTest, IndexOutsideTheTableStops) {
  ConfigModel m;
  EXPECT_DEATH(m.pin(33), "check failed");
  EXPECT_DEATH(m.instr(0, 0, 10), "check failed");
}

}  // namespace
}  // namespace vorn
