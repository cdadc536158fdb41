#include <gtest/gtest.h>

#include "model/ConfigModel.h"

namespace vorn {
namespace {

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
  EXPECT_TRUE(m.pin(21) == before.pin(21));
}

TEST(ConfigModelDeathTest, IndexOutsideTheTableStops) {
  ConfigModel m;
  EXPECT_DEATH(m.pin(33), "check failed");
  EXPECT_DEATH(m.instr(0, 0, 10), "check failed");
}

}  // namespace
}  // namespace vorn
