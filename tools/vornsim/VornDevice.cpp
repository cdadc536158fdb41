#include "VornDevice.h"

#include <algorithm>

#include "SimLog.h"

namespace vornsim {

namespace {

constexpr std::uint8_t kRead = 112;
constexpr std::uint8_t kWrite = 96;

Bytes echo(const Bytes& d) {
  return Bytes(d.begin(), d.begin() + static_cast<long>(std::min<std::size_t>(d.size(), 2)));
}

// Older firmware kept the servo range in the high nibble of the flags byte.
std::uint8_t oldServoFlags(std::uint8_t flags) {
  const std::uint8_t range = flags & 0x07;
  return range == 0 ? 0 : static_cast<std::uint8_t>(range * 16 + 2);
}

// Number of configuration bytes the Vorn reports for a configuration type.
int configLength(std::uint8_t type, bool oldFirmware) {
  switch (type) {
    case 1: return 12;
    case 2:
    case 3: return oldFirmware ? 4 : 6;
    case 4:
    case 5: return 5;
    default: return 1;
  }
}

// Values a general setting item holds; -1 for the identity string (0 to 12 bytes), 0 for no item.
int generalItemValues(std::uint8_t item) {
  switch (item) {
    case 0: return static_cast<int>(kEraseFlashCode.size());
    case 1:
    case 3: return 4;
    case 2:
    case 5:
    case 6:
    case 7: return 1;
    case 4:
    case 8:
    case 11:
    case 12:
    case 13: return 2;
    case 10: return -1;
    default: return 0;  // no such item
  }
}

// An action byte of 'd', 'e' and 't': input number in the high nibble, aspect 0..11 or 15 below.
bool actionBytesOk(const Bytes& d) {
  if (d.size() != 6) return false;
  for (std::size_t k = 0; k < 4; ++k) {
    const int low = d[2 + k] & 0x0F;
    if (d[2 + k] >> 4 != static_cast<int>(k) || (low > 11 && low != 15)) return false;
  }
  return true;
}

std::string sizeText(const Bytes& d) { return std::to_string(d.size()) + " bytes"; }

}  // namespace

std::string VornDevice::refusal(const Bytes& d) const {
  if (d.empty()) return "";
  const std::uint8_t cmd = d[0];
  if (cmd == 0) {
    if (d.size() != 4) return "live request of " + sizeText(d);
    switch (d[1]) {
      case 0: return "";  // by serial offset: any offset, unknown ones are passed over
      case 1: return d[2] >= kPins ? "pin " + std::to_string(d[2]) : d[3] > 11 ? "aspect above 11" : "";
      case 38:
      case 54: return d[2] >= kPins ? "pin " + std::to_string(d[2]) : d[3] > 31 ? "PWM level above 31" : "";
      case 39:
      case 55: return d[2] >= kPins ? "pin " + std::to_string(d[2]) : "";
      default: return "live operation " + std::to_string(d[1]);
    }
  }
  if (cmd == kRead) {
    if (d.size() != 2) return "general read of " + sizeText(d);
    return generalItemValues(d[1]) == 0 ? "general item " + std::to_string(d[1]) : "";
  }
  if (cmd == kWrite) {
    if (d.size() < 2) return "general write of " + sizeText(d);
    const int values = generalItemValues(d[1]);
    const std::size_t got = d.size() - 2;
    if (values == 0) return "general item " + std::to_string(d[1]);
    if (values < 0 ? got > 12 : got != static_cast<std::size_t>(values))
      return "general item " + std::to_string(d[1]) + " with " + std::to_string(got) + " values";
    if (d[1] == 0 && !std::equal(kEraseFlashCode.begin(), kEraseFlashCode.end(), d.begin() + 2))
      return "erase without its code";
    return "";
  }
  const bool twoBytes = cmd == 'r' || cmd == 't' || cmd == 'u' || cmd == 'v' || cmd == 'q' || cmd == 'Q';
  const bool known = twoBytes || cmd == 's' || cmd == 'b' || cmd == 'c' || cmd == 'd' || cmd == 'e' ||
                     cmd == 'f' || cmd == 'a' || cmd == 'A';
  if (!known) return "unknown command " + std::to_string(cmd);
  if (d.size() < 2 || d[1] >= kPins) return "no pin 0..31";
  const PinState& p = state_.pins[d[1]];
  if (twoBytes) return d.size() == 2 ? "" : std::string(1, static_cast<char>(cmd)) + " of " + sizeText(d);
  switch (cmd) {
    case 's':
    case 'c':
      if (d.size() != (cmd == 's' ? 4u : 9u))
        return std::string(1, static_cast<char>(cmd)) + " of " + sizeText(d);
      if (slotIndex(p.layout, d[2], d[3]) < 0)
        return "aspect " + std::to_string(d[2]) + " slot " + std::to_string(d[3]) + " outside layout " +
               std::to_string(p.layout);
      return "";
    case 'b':
      if (d.size() != 3) return "b of " + sizeText(d);
      return d[2] > 3 ? "layout " + std::to_string(d[2]) : "";
    case 'd':
      if (d.size() == 3) return d[2] >> 4 == 7 ? "" : "initial-aspect byte " + std::to_string(d[2]);
      return actionBytesOk(d) ? "" : "event-on actions " + SimLog::list(d);
    case 'e': return actionBytesOk(d) ? "" : "event-off actions " + SimLog::list(d);
    case 'f':
      if (d.size() != 5) return "f of " + sizeText(d);
      // DCC 0000xddd, serial 0001 0sss, device pointer 010p pppp, in this order.
      return d[2] < 16 && d[3] >> 3 == 2 && d[4] >> 5 == 2 ? "" : "address bytes " + SimLog::list(d);
    default: {  // 'a', 'A'
      if (d.size() < 3) return "configuration without a type";
      const std::size_t want = 2 + static_cast<std::size_t>(configLength(d[2], false));
      if (d.size() != want)
        return "configuration type " + std::to_string(d[2]) + " in " + sizeText(d) + ", not " +
               std::to_string(want);
      return d[2] == 1 && d[4] > 63 ? "servo flags above 63" : "";
    }
  }
}

VornDevice::VornDevice(VornState initial, bool oldFirmware)
    : state_(std::move(initial)), oldFirmware_(oldFirmware) {}

Bytes VornDevice::execute(const Bytes& d) {
  if (d.empty()) return feedback();
  switch (d[0]) {
    case 0: return live(d);
    case kRead:
      if (d.size() != 2) return echo(d);
      return readGeneral(d[1]);
    case kWrite: return writeGeneral(d);
    default: return pinCommand(d);
  }
}

Bytes VornDevice::readGeneral(std::uint8_t item) const {
  const GeneralState& g = state_.general;
  Bytes r{kRead, item};
  auto add = [&r](auto const& arr) { r.insert(r.end(), arr.begin(), arr.end()); };
  switch (item) {
    case 0: add(g.version); break;
    case 1: add(g.hardware); break;
    case 2: r.push_back(g.extAddress); break;
    case 3: add(g.groupMask); break;
    case 4: add(g.dccAddress); break;
    case 5: r.push_back(g.dccOptions); break;
    case 6: r.push_back(g.greenLed); break;
    case 7: r.push_back(g.orangeLed); break;
    case 8: r.insert(r.end(), {g.palkFlexFlag, g.palkFlexStart}); break;
    case 10:
      for (char c : g.id) r.push_back(static_cast<std::uint8_t>(c) & 0x7F);
      break;
    case 11:
      if (oldFirmware_) return r;  // unknown item: echo only
      r.insert(r.end(), {g.enableOnMap, g.enableOffMap});
      break;
    case 12: add(g.xdccAddress); break;
    case 13: r.insert(r.end(), {g.serialEnable, g.serialConfig}); break;
    default: break;  // unknown item: echo only
  }
  return r;
}

Bytes VornDevice::writeGeneral(const Bytes& d) {
  if (d.size() < 2) return echo(d);
  GeneralState& g = state_.general;
  const std::size_t values = d.size() - 2;
  auto copyInto = [&d, values](auto& arr) {
    if (values != arr.size()) return;  // a write of the wrong size changes nothing
    std::copy(d.begin() + 2, d.end(), arr.begin());
  };
  switch (d[1]) {
    case 0:
      if (values == kEraseFlashCode.size() &&
          std::equal(kEraseFlashCode.begin(), kEraseFlashCode.end(), d.begin() + 2)) {
        const auto version = g.version;
        state_ = erasedState();
        state_.general.version = version;
        ++erasures_;
      }
      break;
    case 1: copyInto(g.hardware); break;
    case 2:
      if (values == 1) g.extAddress = d[2];
      break;
    case 3: copyInto(g.groupMask); break;
    case 4: copyInto(g.dccAddress); break;
    case 5:
      if (values == 1) g.dccOptions = d[2];
      break;
    case 6:
      if (values == 1) g.greenLed = d[2];
      break;
    case 7:
      if (values == 1) g.orangeLed = d[2];
      break;
    case 8:
      if (values == 2) {
        g.palkFlexFlag = d[2];
        g.palkFlexStart = d[3];
      }
      break;
    case 10:
      if (values <= 12) g.id.assign(d.begin() + 2, d.end());
      break;
    case 11:
      if (values == 2 && !oldFirmware_) {
        g.enableOnMap = d[2];
        g.enableOffMap = d[3];
      }
      break;
    case 12: copyInto(g.xdccAddress); break;
    case 13:
      if (values == 2) {
        g.serialEnable = d[2];
        g.serialConfig = d[3];
      }
      break;
    default: break;
  }
  return echo(d);
}

Bytes VornDevice::live(const Bytes& d) {
  if (d.size() != 4 || (d[1] != 0 && d[2] >= kPins)) return echo(d);
  const std::uint8_t op = d[1];
  PinState* pin = op == 0 ? nullptr : &state_.pins[d[2]];
  switch (op) {
    case 0: {
      // Set aspect by serial address: find the pin whose serial run holds the offset.
      pin = nullptr;
      int start = 0;
      for (PinState& p : state_.pins) {
        const int count = p.serialByte & 0x07;
        if (d[2] >= start && d[2] < start + count) pin = &p;
        start += count;
      }
      if (pin != nullptr) pin->liveAspect = d[3];
      break;
    }
    case 1: pin->liveAspect = d[3]; break;
    case 38:
    case 54:
    case 39:
    case 55: pin->liveLevel = d[3]; break;
    default: break;
  }
  return echo(d);
}

// Four bytes for the empty frame: a poll counter and the states of the inputs, seven per byte.
Bytes VornDevice::feedback() {
  ++polls_;
  Bytes r{static_cast<std::uint8_t>(polls_ % 128)};
  for (int b = 0; b < 3; ++b) {
    std::uint8_t bits = 0;
    for (int k = 0; k < 7; ++k) {
      const int pin = b * 7 + k;
      const std::uint8_t type = state_.pins[pin].active[0];
      if ((type == 4 || type == 5) && ((polls_ / 10 + pin) % 4 == 0))
        bits |= static_cast<std::uint8_t>(1 << k);
    }
    r.push_back(bits);
  }
  return r;
}

Bytes VornDevice::configReply(std::uint8_t letter, int pin, bool active) const {
  const PinState& p = state_.pins[pin];
  auto cfg = active ? p.active : p.stored;
  if (active) cfg[1] = p.liveLevel;
  if (cfg[0] == 1 && oldFirmware_) cfg[2] = oldServoFlags(cfg[2]);
  Bytes r{letter, static_cast<std::uint8_t>(pin)};
  const int n = configLength(cfg[0], oldFirmware_);
  r.insert(r.end(), cfg.begin(), cfg.begin() + n);
  return r;
}

Bytes VornDevice::addressReply(int pin) const {
  const PinState& p = state_.pins[pin];
  // The order of the three bytes is free; rotate it so that hosts cannot rely on one order.
  const std::array<std::uint8_t, 3> bytes{p.dccByte, p.serialByte, p.pointerByte};
  Bytes r{'v', static_cast<std::uint8_t>(pin)};
  for (int k = 0; k < 3; ++k) r.push_back(bytes[(k + pin) % 3]);
  return r;
}

Bytes VornDevice::pinCommand(const Bytes& d) {
  if (d.size() < 2 || d[1] >= kPins) return echo(d);
  const std::uint8_t letter = d[0];
  const int pinNo = d[1];
  PinState& p = state_.pins[pinNo];
  switch (letter) {
    case 'r':
      if (d.size() != 2) break;
      return {'r', d[1], p.layout};
    case 's': {
      if (d.size() != 4) break;
      const int idx = slotIndex(p.layout, d[2], d[3]);
      if (idx < 0) break;
      Bytes r{'s', d[1], d[2], d[3]};
      r.insert(r.end(), p.slots[idx].begin(), p.slots[idx].end());
      return r;
    }
    case 't':
      if (d.size() != 2) break;
      return {'t',
              d[1],
              static_cast<std::uint8_t>(0x70 | p.initNibble),
              static_cast<std::uint8_t>(0x00 | p.eventOn[0]),
              static_cast<std::uint8_t>(0x10 | p.eventOn[1]),
              static_cast<std::uint8_t>(0x20 | p.eventOn[2]),
              static_cast<std::uint8_t>(0x30 | p.eventOn[3])};
    case 'u':
      if (d.size() != 2 || oldFirmware_) break;
      return {'u',
              d[1],
              static_cast<std::uint8_t>(0x00 | p.eventOff[0]),
              static_cast<std::uint8_t>(0x10 | p.eventOff[1]),
              static_cast<std::uint8_t>(0x20 | p.eventOff[2]),
              static_cast<std::uint8_t>(0x30 | p.eventOff[3])};
    case 'v':
      if (d.size() != 2) break;
      return addressReply(pinNo);
    case 'q':
      if (d.size() != 2) break;
      return configReply('q', pinNo, false);
    case 'Q':
      if (d.size() != 2) break;
      return configReply('Q', pinNo, true);
    case 'b':
      if (d.size() == 3) p.layout = d[2];
      break;
    case 'c': {
      if (d.size() != 9) break;
      const int idx = slotIndex(p.layout, d[2], d[3]);
      if (idx >= 0) std::copy(d.begin() + 4, d.end(), p.slots[idx].begin());  // outside the layout: ignored
      break;
    }
    case 'd':
      // Each byte names its meaning in its high nibble: 7 = initial aspect, 0..3 = event-on input.
      for (std::size_t i = 2; i < d.size(); ++i) {
        const int kind = d[i] >> 4;
        if (kind == 7) p.initNibble = d[i] & 0x0F;
        if (kind <= 3) p.eventOn[kind] = d[i] & 0x0F;
      }
      break;
    case 'e':
      if (oldFirmware_) break;
      for (std::size_t i = 2; i < d.size(); ++i) {
        const int kind = d[i] >> 4;
        if (kind <= 3) p.eventOff[kind] = d[i] & 0x0F;
      }
      break;
    case 'f':
      for (std::size_t i = 2; i < d.size(); ++i) {
        const std::uint8_t b = d[i];
        if (b >> 4 == 0)
          p.dccByte = b;
        else if (b >> 4 == 1)
          p.serialByte = b & 0x17;
        else if (b >> 5 == 2)
          p.pointerByte = b;
      }
      break;
    case 'a':
    case 'A': {
      if (d.size() < 3 || d.size() > 2 + kConfigBytes) break;
      std::array<std::uint8_t, kConfigBytes> cfg = letter == 'a' ? p.stored : p.active;
      std::copy(d.begin() + 2, d.end(), cfg.begin());
      if (letter == 'a') p.stored = cfg;
      p.active = cfg;
      if (letter == 'A') p.liveLevel = cfg[1];
      break;
    }
    default: break;
  }
  return echo(d);
}

}  // namespace vornsim
