// The configurations the simulator starts with.

#include "VornState.h"

namespace vornsim {

int slotIndex(std::uint8_t layout, int aspect, int slot) {
  if (layout == 2 && aspect >= 0 && aspect < 12 && slot >= 0 && slot < 3) return aspect * 3 + slot;
  if (layout == 3 && aspect >= 0 && aspect < 4 && slot >= 0 && slot < 9) return aspect * 9 + slot;
  return -1;
}

VornState defaultState() { return VornState{}; }

VornState erasedState() {
  VornState s;
  s.general.id.clear();
  return s;
}

namespace {

using Slot = std::array<std::uint8_t, 5>;

constexpr std::uint8_t kFade = 16;
constexpr std::uint8_t kJump = 1;
constexpr std::uint8_t kSendSerial2 = 5;
constexpr std::uint8_t kBlinkAlt = 6;
constexpr std::uint8_t kRandom = 11;
constexpr std::uint8_t kEventInput = 16;
constexpr std::uint8_t kSetLevel = 38;
constexpr std::uint8_t kSetLevelWait = 96;
constexpr std::uint8_t kSetServoWait = 100;
constexpr std::uint8_t kWait = 102;

void put(PinState& p, int aspect, int slot, Slot s) { p.slots[slotIndex(p.layout, aspect, slot)] = s; }

void setConfig(PinState& p, std::initializer_list<std::uint8_t> bytes) {
  p.stored = {};
  int i = 0;
  for (std::uint8_t b : bytes) p.stored[i++] = b;
  p.active = p.stored;
  p.liveLevel = p.stored[1];
}

void setAddresses(PinState& p, int dcc, int xdcc, int serial, int pointer) {
  p.dccByte = static_cast<std::uint8_t>(xdcc * 8 + dcc);
  p.serialByte = static_cast<std::uint8_t>(16 + serial);
  p.pointerByte = static_cast<std::uint8_t>(64 + (pointer + 32) % 32);
}

// Three-light signal over pins 0..2: green, yellow, red and their flashing variants.
void threeLightSignal(VornState& s) {
  PinState& head = s.pins[0];
  head.layout = 2;
  const std::uint8_t levels[12][3] = {{0, 0, 31},  {31, 0, 0},  {0, 31, 0}, {0, 31, 31},
                                      {31, 31, 0}, {0, 0, 0},   {31, 0, 0}, {0, 31, 0},
                                      {0, 0, 31},  {31, 0, 31}, {8, 8, 8},  {31, 31, 31}};
  for (int a = 0; a < 12; ++a) {
    for (int k = 0; k < 3; ++k) {
      const bool flashing = a >= 6 && a <= 8 && levels[a][k] != 0;
      if (flashing) {
        put(head, a, k,
            {static_cast<std::uint8_t>(kBlinkAlt + kFade), static_cast<std::uint8_t>(k), 30, 0, 0});
      } else {
        put(head, a, k,
            {static_cast<std::uint8_t>(kSetLevel + kFade), static_cast<std::uint8_t>(k), levels[a][k], 0, 0});
      }
    }
  }
  head.initNibble = 0;  // starts on aspect 0 (red)
  head.eventOn = {1, 15, 15, 15};
  head.eventOff = {0, 15, 15, 15};
  setAddresses(head, 2, 1, 1, 0);
  for (int p = 0; p < 3; ++p) setConfig(s.pins[p], {2, 0, 0, 8, 0, 31});
  setAddresses(s.pins[1], 0, 0, 0, -1);
  setAddresses(s.pins[2], 0, 0, 0, -2);
  for (int p = 1; p < 3; ++p) {
    s.pins[p].eventOn = {15, 15, 15, 15};
    s.pins[p].eventOff = {15, 15, 15, 15};
  }
}

// Four-aspect distant signal on pin 3 with long programs (layout 3).
void fourAspectSignal(VornState& s) {
  PinState& p = s.pins[3];
  p.layout = 3;
  put(p, 0, 0, {kSetLevelWait, 4, 0, 10, 0});
  put(p, 1, 0, {kSetLevelWait, 4, 31, 10, 0});
  // Aspect 2 flashes: on, wait 0.5 s, off, wait 0.5 s, again.
  put(p, 2, 0, {kSetLevel, 0, 31, 0, 0});
  put(p, 2, 1, {kWait, 0, 0, 25, 0});
  put(p, 2, 2, {kSetLevel, 0, 0, 0, 0});
  put(p, 2, 3, {kWait, 0, 0, 25, 0});
  put(p, 2, 4, {kJump, 0, 2, 0, 0});
  put(p, 3, 0, {kSetLevelWait, 127, 16, 50, 1});
  put(p, 3, 1, {kSetLevelWait, 127, 0, 50, 1});
  put(p, 3, 2, {kJump, 0, 3, 0, 0});
  p.initNibble = 0;
  setConfig(p, {2, 0, 1, 12, 0, 28});
  setAddresses(p, 1, 0, 2, 0);
}

// Two point-motor servos on pins 4 and 5, thrown by input 1 events.
void servos(VornState& s) {
  for (int pin : {4, 5}) {
    PinState& p = s.pins[pin];
    p.layout = 3;
    put(p, 0, 0, {kSetServoWait, 0, 34, 40, 1});
    put(p, 1, 0, {kSetServoWait, 0, 94, 40, 1});
    p.initNibble = 0;
    p.eventOn = {15, 1, 15, 15};
    p.eventOff = {15, 0, 15, 15};
    // Range M in the current flag format, auto suspend; bounce at the lower end.
    setConfig(p, {1, 64, 2 + 8 + 16, 64, 24, 12, 40, 20, 74, 30, 56, 30});
  }
  s.pins[5].stored[3] = 70;
  s.pins[5].active[3] = 70;
}

void inputs(VornState& s) {
  for (int j = 0; j < 4; ++j) {
    PinState& p = s.pins[8 + j];
    p.layout = 2;
    put(p, 0, 0, {kEventInput, 0, static_cast<std::uint8_t>(1 << j), 0, 0});
    p.eventOn = {15, 15, 15, 15};
    p.eventOff = {15, 15, 15, 15};
    setConfig(p, {static_cast<std::uint8_t>(j == 3 ? 5 : 4), 0, 1, 5, 3});
    setAddresses(p, 0, 0, 1, 0);
  }
}

}  // namespace

VornState demoState() {
  VornState s;
  GeneralState& g = s.general;
  g.version = {3, 0, 1, 12};
  g.id = "Demo Layout";
  g.hardware = {1, 1, 0, 2};
  g.groupMask = {1, 0, 0, 8};
  g.dccAddress = {44, 4};  // 300
  g.dccOptions = 1;
  g.greenLed = 9;
  g.orangeLed = 0;
  g.palkFlexFlag = 0;
  g.palkFlexStart = 10;
  g.enableOffMap = 8;        // event-off actions of input 3 start disabled
  g.xdccAddress = {28, 23};  // 1500
  g.serialEnable = 1;
  g.serialConfig = 122;  // 19200, 8 data bits, odd parity, 2 stop bits

  threeLightSignal(s);
  fourAspectSignal(s);
  servos(s);
  // A dimmed building light on pin 6 and an inverted flickering fire on pin 7.
  setConfig(s.pins[6], {2, 12, 0, 4, 0, 12});
  s.pins[6].layout = 0;
  PinState& fire = s.pins[7];
  fire.layout = 2;
  put(fire, 0, 0, {kRandom + kFade, 0, 6, 0, 0});
  fire.initNibble = 0;
  setConfig(fire, {3, 0, 2, 20, 4, 26});
  inputs(s);
  // A serial message sender on pin 12: bytes 200 and 100.
  PinState& sender = s.pins[12];
  sender.layout = 2;
  put(sender, 0, 0, {kSendSerial2, 1, 72, 100, 0});
  setAddresses(sender, 1, 0, 1, 0);
  return s;
}

}  // namespace vornsim
