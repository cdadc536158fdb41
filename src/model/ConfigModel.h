#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/Check.h"

namespace vorn {

inline constexpr int kPinsInUse = 32;     // pins 0..31 are the Vorn's
inline constexpr int kPinTableSize = 33;  // entry 32 is a spare that keeps its start values
inline constexpr int kAspectSlots = 13;   // 0..12; at most 12 are transferred
inline constexpr int kInstrSlots = 10;    // 0..9; at most 9 are transferred
inline constexpr int kPinConfigBytes = 13;
inline constexpr int kEventGroupSize = 5;  // elements 0..3 are the input actions, 4 is unused

// Aspect memory layouts a pin can have (any other AspectConfig value means "no program").
inline constexpr uint8_t kLayout12x3 = 2;
inline constexpr uint8_t kLayout4x9 = 3;

// One instruction slot, six bytes as they travel to the Vorn (apart from the fade flag
// and the serial-byte packing, which the instruction catalogue encodes).
struct Instruction {
  uint8_t Opcode = 0;
  uint8_t Fade = 0;
  uint8_t PinOffset = 0;
  uint8_t Par1 = 0;
  uint8_t Par2 = 0;
  uint8_t Par3 = 0;

  bool operator==(const Instruction&) const = default;
};

struct AspectData {
  std::string Description;  // 8-bit text (Latin-1 bytes)
  std::array<Instruction, kInstrSlots> Instr{};

  bool operator==(const AspectData&) const = default;
};

struct PinData {
  std::string Description;
  std::string DeviceName;
  int16_t DevicePointer = 0;  // device pin = pin + DevicePointer
  std::array<uint8_t, kPinConfigBytes> PinConfig{};
  uint8_t LiveLevel = 0;
  uint8_t InitAspect = 0;  // 0 none, n = aspect n-1
  uint8_t DCCCount = 0;
  uint8_t XDCCCount = 0;
  uint8_t SerialCount = 0;
  uint8_t AspectConfig = 0;
  std::array<AspectData, kAspectSlots> Aspects{};

  bool operator==(const PinData&) const = default;
};

// Number of aspects and of slots per aspect a layout transfers; 0/0 for "no program".
int AspectsInLayout(uint8_t aspectConfig);
int SlotsInLayout(uint8_t aspectConfig);

// The in-memory copy of one Vorn's configuration, plus the module-level values the
// editors and device routines compute with. Whole-value copyable (a file load reads
// into a copy and commits on success).
class ConfigModel {
 public:
  ConfigModel();  // start values

  PinData& pin(int p) {
    VORN_CHECK(p >= 0 && p < kPinTableSize);
    return Pins[static_cast<size_t>(p)];
  }
  const PinData& pin(int p) const {
    VORN_CHECK(p >= 0 && p < kPinTableSize);
    return Pins[static_cast<size_t>(p)];
  }
  AspectData& aspect(int p, int a) {
    VORN_CHECK(a >= 0 && a < kAspectSlots);
    return pin(p).Aspects[static_cast<size_t>(a)];
  }
  const AspectData& aspect(int p, int a) const {
    VORN_CHECK(a >= 0 && a < kAspectSlots);
    return pin(p).Aspects[static_cast<size_t>(a)];
  }
  Instruction& instr(int p, int a, int s) {
    VORN_CHECK(s >= 0 && s < kInstrSlots);
    return aspect(p, a).Instr[static_cast<size_t>(s)];
  }
  const Instruction& instr(int p, int a, int s) const {
    VORN_CHECK(s >= 0 && s < kInstrSlots);
    return aspect(p, a).Instr[static_cast<size_t>(s)];
  }

  // Event control: action of input j (0..4) when the event turns on / off; -1 = none.
  int16_t& eventOn(int p, int j) {
    VORN_CHECK(p >= 0 && p < kPinTableSize && j >= 0 && j < kEventGroupSize);
    return EventOn[static_cast<size_t>(p)][static_cast<size_t>(j)];
  }
  int16_t eventOn(int p, int j) const { return const_cast<ConfigModel*>(this)->eventOn(p, j); }
  int16_t& eventOff(int p, int j) {
    VORN_CHECK(p >= 0 && p < kPinTableSize && j >= 0 && j < kEventGroupSize);
    return EventOff[static_cast<size_t>(p)][static_cast<size_t>(j)];
  }
  int16_t eventOff(int p, int j) const { return const_cast<ConfigModel*>(this)->eventOff(p, j); }

  // If pin's DevicePointer is 0, detaches every pin that refers to it (itself included).
  void ClearDevice(int pin);

  // Start tables and totals of the three address kinds.
  void RecalcDCCStart();
  void RecalcXDCCStart();
  void RecalcSerialStart();
  void RecalcAllStarts() {
    RecalcSerialStart();
    RecalcDCCStart();
    RecalcXDCCStart();
  }

  std::array<PinData, kPinTableSize> Pins{};
  std::array<std::array<int16_t, kEventGroupSize>, kPinTableSize> EventOn{};
  std::array<std::array<int16_t, kEventGroupSize>, kPinTableSize> EventOff{};

  std::array<uint8_t, kPinTableSize> DCCStart{};
  std::array<uint8_t, kPinTableSize> XDCCStart{};
  std::array<uint8_t, kPinTableSize> SerialStart{};
  int DCCTotal = 0;
  int XDCCTotal = 0;
  int SerialTotal = 0;
  int DCCBase = 0;
  int XDCCBase = 0;

  uint8_t CurPin = 0;
  uint8_t CurAspect = 0;
  uint8_t NumberBase = 1;
  uint8_t PalkFlexStart = 0;
  bool QuietUpdate = false;
};

}  // namespace vorn
