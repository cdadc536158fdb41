#include "operations/Live.h"

#include <algorithm>
#include <string>

#include "operations/Session.h"

namespace vorn {

namespace {

constexpr uint8_t kLiveSetAspect = 1;
constexpr uint8_t kLiveSetAspectBySerial = 0;
constexpr uint8_t kLivePwmLevel = 38;
constexpr uint8_t kLiveServoPosition = 39;
constexpr uint8_t kLiveSlowFlag = 16;
constexpr uint8_t kPalkSetAspect = 1;
constexpr uint8_t kPalkSetAspectByMap = 0;

uint8_t PalkAddressByte(int module) { return static_cast<uint8_t>(4 * module + 3); }

bool HasSerialAddresses(Session& s) {
  const ConfigModel& m = s.model;
  if (m.pin(m.CurPin).SerialCount > 0) return true;
  s.prompter().message(
      "You have no Palk-address(es) assigned to Pin " + std::to_string(m.CurPin + m.NumberBase),
      Icon::Critical);
  return false;
}

}  // namespace

bool TestAspect(Session& s, TestKeys keys) {
  ConfigModel& m = s.model;
  const uint8_t pin = m.CurPin;
  const uint8_t aspect = m.CurAspect;
  const int module = s.link.opts.ModuleAddress;
  if (keys.Alt) {
    s.prompter().message(
        "Test = Send Vorn Set Aspect\r\nShift + Test = Send Legacy Palk Set Aspect\r\n"
        "Control + Test = Send Vorn Set Aspect, use Address Map\r\n"
        "Shift + Control + Test = Send Legacy Palk Set Aspect, use Address Map\r\nAlt + Test = Show this "
        "message");
    return false;
  }
  if (keys.Shift) {
    if (s.general.PalkFlexEnabled) {
      if (!HasSerialAddresses(s)) return false;
      int n = 4 * m.PalkFlexStart + m.SerialStart[pin];
      s.link.SendPalkFrame(PalkAddressByte(n / 32), kPalkSetAspect, static_cast<uint8_t>(n % 32), aspect);
      return true;
    }
    if (!keys.Control) {
      s.link.SendPalkFrame(PalkAddressByte(module), kPalkSetAspect, pin, aspect);
      return true;
    }
    if (!HasSerialAddresses(s)) return false;
    s.link.SendPalkFrame(PalkAddressByte(module), kPalkSetAspectByMap, m.SerialStart[pin], aspect);
    return true;
  }
  if (keys.Control) {
    if (!HasSerialAddresses(s)) return false;
    return s.link.Transact(false, {0, kLiveSetAspectBySerial, m.SerialStart[pin], aspect});
  }
  return s.link.Transact(false, {0, kLiveSetAspect, pin, aspect});
}

bool SendPwmLevel(Session& s, int pin, int level, bool slow) {
  level = std::clamp(level, 0, 31);
  return s.link.Transact(false, {0, static_cast<uint8_t>(kLivePwmLevel + (slow ? kLiveSlowFlag : 0)),
                                 static_cast<uint8_t>(pin), static_cast<uint8_t>(level)});
}

bool SendServoPosition(Session& s, int pin, int position, bool dynamic) {
  position = std::clamp(position, -64, 63);
  return s.link.Transact(false, {0, static_cast<uint8_t>(kLiveServoPosition + (dynamic ? kLiveSlowFlag : 0)),
                                 static_cast<uint8_t>(pin), static_cast<uint8_t>(position + 64)});
}

}  // namespace vorn
