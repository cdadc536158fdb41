#pragma once
// Everything one simulated Vorn keeps: the general settings and, per pin, its program memory,
// configuration, addresses and event actions, in the byte forms the device itself holds.

#include <array>
#include <cstdint>
#include <string>

namespace vornsim {

constexpr int kPins = 32;
constexpr int kSlotsPerPin = 36;  // both aspect layouts fill the same 36 instruction slots
constexpr int kConfigBytes = 13;

struct PinState {
  std::uint8_t layout = 0;       // 2 = 12 aspects x 3 slots, 3 = 4 aspects x 9 slots, else none
  std::uint8_t initNibble = 15;  // initial aspect - 1, or 15 for none
  std::array<std::uint8_t, 4> eventOn{0, 1, 2, 3};  // action nibble per input, 15 = none
  std::array<std::uint8_t, 4> eventOff{15, 15, 15, 15};
  std::uint8_t dccByte = 9;                                       // 0000 x ddd
  std::uint8_t serialByte = 16 + 1;                               // 0001 0sss
  std::uint8_t pointerByte = 64;                                  // 010p pppp
  std::array<std::array<std::uint8_t, 5>, kSlotsPerPin> slots{};  // code byte + four parameters
  std::array<std::uint8_t, kConfigBytes> stored{};                // configuration in flash
  std::array<std::uint8_t, kConfigBytes> active{};                // configuration in use
  std::uint8_t liveLevel = 0;                                     // level or servo position last set live
  std::uint8_t liveAspect = 0;                                    // aspect last shown
};

struct GeneralState {
  std::array<std::uint8_t, 4> version{3, 0, 1, 7};
  std::array<std::uint8_t, 4> hardware{0, 0, 0, 0};
  std::uint8_t extAddress = 0;
  std::array<std::uint8_t, 4> groupMask{0, 0, 0, 0};
  std::array<std::uint8_t, 2> dccAddress{1, 0};  // v mod 64, v div 64
  std::uint8_t dccOptions = 0;
  std::uint8_t greenLed = 0;
  std::uint8_t orangeLed = 0;
  std::uint8_t palkFlexFlag = 0;
  std::uint8_t palkFlexStart = 0;
  std::string id = "VORN-32";
  std::uint8_t enableOnMap = 0;
  std::uint8_t enableOffMap = 0;
  std::array<std::uint8_t, 2> xdccAddress{1, 0};
  std::uint8_t serialEnable = 0;
  std::uint8_t serialConfig = 0;
};

struct VornState {
  GeneralState general;
  std::array<PinState, kPins> pins{};
};

// Slot index of (aspect, slot) under a layout, or -1 when the layout has no such slot.
int slotIndex(std::uint8_t layout, int aspect, int slot);

VornState defaultState();  // a plainly set up Vorn as it leaves the workshop
VornState erasedState();   // what the erase command leaves behind
VornState demoState();     // a layout worth looking at (signals, servos, inputs, a device)

}  // namespace vornsim
