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

constexpr uint8_t kPalkReset = 2;
constexpr uint8_t kPalkClearOutput = 8;
constexpr uint8_t kPalkLampTest = 10;
constexpr uint8_t kLampTestParameter = 30;
constexpr int kOutputs = 32;
constexpr int kMaxDataByte = 127;

bool HasSerialAddresses(Session& s) {
  const ConfigModel& m = s.model;
  if (m.pin(m.CurPin).SerialCount > 0) return true;
  s.prompter().message(
      "You have no Palk-address(es) assigned to Pin " + std::to_string(m.CurPin + m.NumberBase),
      Icon::Critical);
  return false;
}

// The pin's serial offset travels as one 7-bit data byte: a larger offset would be cut and
// reach another pin's address, so it is refused.
bool SerialOffsetFits(Session& s) {
  const ConfigModel& m = s.model;
  const int offset = m.SerialStart[m.CurPin];
  if (offset <= kMaxDataByte) return true;
  s.prompter().message("Pin " + std::to_string(m.CurPin + m.NumberBase) + " has serial address offset " +
                           std::to_string(offset) + ": a live command reaches offsets 0 to " +
                           std::to_string(kMaxDataByte) + " only. Nothing was sent.",
                       Icon::Critical);
  return false;
}

bool UsableSerialOffset(Session& s) { return HasSerialAddresses(s) && SerialOffsetFits(s); }

// One Palk frame per output, in rising order; the first frame the port refuses ends it
// (the link has reported that failure once).
bool SendToAllOutputs(Session& s, int module, uint8_t command, uint8_t param2) {
  if (!s.link.isOpen()) {
    s.prompter().message("Select communications port");
    return false;
  }
  for (int out = 0; out < kOutputs; ++out)
    if (!s.link.SendPalkFrame(PalkAddressByte(module), command, static_cast<uint8_t>(out), param2))
      return false;
  return true;
}

}  // namespace

bool TestAspect(Session& s, TestKeys keys) {
  ConfigModel& m = s.model;
  const uint8_t pin = m.CurPin;
  const uint8_t aspect = m.CurAspect;
  const int module = s.link.opts.ModuleAddress;
  if (keys.Alt) {
    s.prompter().message(TestHelpText());
    return false;
  }
  if (keys.Shift) {
    if (s.general.PalkFlexEnabled) {
      if (!HasSerialAddresses(s)) return false;
      int n = 4 * m.PalkFlexStart + m.SerialStart[pin];
      return s.link.SendPalkFrame(PalkAddressByte(n / 32), kPalkSetAspect, static_cast<uint8_t>(n % 32),
                                  aspect);
    }
    if (!keys.Control) return s.link.SendPalkFrame(PalkAddressByte(module), kPalkSetAspect, pin, aspect);
    if (!UsableSerialOffset(s)) return false;
    return s.link.SendPalkFrame(PalkAddressByte(module), kPalkSetAspectByMap, m.SerialStart[pin], aspect);
  }
  if (keys.Control) {
    if (!UsableSerialOffset(s)) return false;
    return s.link.Transact(false, {0, kLiveSetAspectBySerial, m.SerialStart[pin], aspect});
  }
  return s.link.Transact(false, {0, kLiveSetAspect, pin, aspect});
}

const char* TestHelpText() {
  return "Test = Send Vorn Set Aspect\r\nShift + Test = Send Legacy Palk Set Aspect\r\n"
         "Control + Test = Send Vorn Set Aspect, use Address Map\r\n"
         "Shift + Control + Test = Send Legacy Palk Set Aspect, use Address Map\r\nAlt + Test = Show this "
         "message";
}

void ClampPalkValues(PalkValues& v) {
  v.command = std::clamp(v.command, 0, kMaxDataByte);
  v.output = std::clamp(v.output, 0, kMaxDataByte);
  v.parameter = std::clamp(v.parameter, 0, kMaxDataByte);
}

bool SendRawPalk(Session& s, PalkValues& v) {
  ClampPalkValues(v);
  return s.link.SendPalkFrame(PalkAddressByte(s.link.opts.ModuleAddress), static_cast<uint8_t>(v.command),
                              static_cast<uint8_t>(v.output), static_cast<uint8_t>(v.parameter));
}

bool ResetModule(Session& s, int module) {
  return s.link.SendPalkFrame(PalkAddressByte(module), kPalkReset, 0, 0);
}

bool ClearAllOutputs(Session& s, int module) { return SendToAllOutputs(s, module, kPalkClearOutput, 0); }

bool LampTestAllOutputs(Session& s, int module) {
  return SendToAllOutputs(s, module, kPalkLampTest, kLampTestParameter);
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
