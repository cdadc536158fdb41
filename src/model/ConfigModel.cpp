#include "model/ConfigModel.h"

namespace vorn {

int AspectsInLayout(uint8_t aspectConfig) {
  switch (aspectConfig) {
    case kLayout12x3: return 12;
    case kLayout4x9: return 4;
    default: return 0;
  }
}

int SlotsInLayout(uint8_t aspectConfig) {
  switch (aspectConfig) {
    case kLayout12x3: return 3;
    case kLayout4x9: return 9;
    default: return 0;
  }
}

ConfigModel::ConfigModel() {
  for (int p = 0; p < kPinTableSize; ++p) {
    for (int j = 0; j < kEventGroupSize; ++j) {
      // Pins 0..31 start with "input j sets aspect j" and no event-off actions, as the
      // event editor's initial texts say; the spare entry keeps zeros.
      const bool used = p < kPinsInUse && j < 4;
      eventOn(p, j) = used ? static_cast<int16_t>(j) : 0;
      eventOff(p, j) = used ? -1 : 0;
    }
  }
  for (int p = 0; p < kPinsInUse; ++p) {
    pin(p).DCCCount = 1;
    pin(p).XDCCCount = 1;
    pin(p).SerialCount = 1;
  }
  RecalcAllStarts();
}

void ConfigModel::ClearDevice(int p) {
  if (pin(p).DevicePointer != 0) return;
  for (int q = 0; q < kPinsInUse; ++q) {
    if (q + pin(q).DevicePointer == p) {
      pin(q).DevicePointer = 0;
      pin(q).DeviceName.clear();
    }
  }
}

namespace {
template <typename Count>
int Recalc(ConfigModel& m, std::array<uint8_t, kPinTableSize>& start, Count count) {
  int sum = 0;
  for (int p = 0; p < kPinTableSize; ++p) {
    start[static_cast<size_t>(p)] = static_cast<uint8_t>(sum);
    sum += count(m.pin(p));
  }
  VORN_CHECK(sum <= 255);  // counts are limited to 7 per pin, so this cannot overflow
  return sum;
}
}  // namespace

void ConfigModel::RecalcDCCStart() {
  DCCTotal = Recalc(*this, DCCStart, [](const PinData& d) { return d.DCCCount; });
}
void ConfigModel::RecalcXDCCStart() {
  XDCCTotal = Recalc(*this, XDCCStart, [](const PinData& d) { return d.XDCCCount; });
}
void ConfigModel::RecalcSerialStart() {
  SerialTotal = Recalc(*this, SerialStart, [](const PinData& d) { return d.SerialCount; });
}

}  // namespace vorn
