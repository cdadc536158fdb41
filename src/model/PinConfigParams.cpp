#include "model/PinConfigParams.h"

namespace vorn {

std::optional<PinKind> KindOfType(int type) {
  switch (type) {
    case kCfgClear: return PinKind::Clear;
    case kCfgServo: return PinKind::Servo;
    case kCfgPwm:
    case kCfgPwmInverted: return PinKind::Pwm;
    case kCfgInput:
    case kCfgInputLowActive: return PinKind::Input;
    default: return std::nullopt;
  }
}

bool IsOfKind(int type, PinKind kind) { return KindOfType(type) == kind; }

std::string_view PinKindCaption(PinKind kind) {
  switch (kind) {
    case PinKind::Clear: return "Clear";
    case PinKind::Servo: return "Servo";
    case PinKind::Pwm: return "PWM";
    case PinKind::Input: return "Input";
  }
  return "";
}

std::string UnknownConfigurationMessage(int type) { return "Unknown configuration: " + std::to_string(type); }

int ConfigElementsSent(int type) {
  switch (type) {
    case kCfgServo: return 12;
    case kCfgPwm:
    case kCfgPwmInverted: return 6;
    case kCfgInput:
    case kCfgInputLowActive: return 5;
    default: return 1;
  }
}

const KindDefaults& DefaultsFor(PinKind kind) {
  // A new servo sits at position 0 with midpoint 0, full speed and no bounce; a new PWM
  // output is logarithmic with acceleration 28 and on level 31; a new input is low
  // active with both delays 4.
  static const KindDefaults kClear{{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0};
  static const KindDefaults kServo{{1, 64, 0, 64, 127, 58, 127, 127, 64, 0, 64, 0}, 64};
  static const KindDefaults kPwm{{2, 0, 0, 28, 0, 31, 0, 0, 0, 0, 0, 0}, 0};
  static const KindDefaults kInput{{5, 0, 0, 4, 4, 0, 0, 0, 0, 0, 0, 0}, 0};
  switch (kind) {
    case PinKind::Servo: return kServo;
    case PinKind::Pwm: return kPwm;
    case PinKind::Input: return kInput;
    case PinKind::Clear: break;
  }
  return kClear;
}

bool SelectPinKind(PinData& pin, PinKind kind) {
  if (IsOfKind(pin.PinConfig[0], kind)) return false;
  const KindDefaults& d = DefaultsFor(kind);
  for (size_t i = 0; i < d.Config.size(); ++i) pin.PinConfig[i] = d.Config[i];
  pin.LiveLevel = d.LiveLevel;
  return true;
}

const ConfigBoxRule& RuleFor(ConfigBox box) {
  static const std::array<ConfigBoxRule, kConfigBoxCount> kRules = {{
      {1, "Initial Position", {-64, 63}, {-64, 63}, 64},
      {3, "Midpoint", {-64, 63}, {-64, 63}, 64},
      {4, "1/Mass", {0, 127}, {0, 127}, 0},
      {5, "Damping", {0, 127}, {0, 127}, 0},
      {6, "MaxSpd", {1, 127}, {1, 127}, 0},
      {7, "MaxAcc", {1, 127}, {0, 127}, 0},
      {8, "BounceDown", {0, 63}, {0, 63}, 64},
      {9, "BounceDownFactor", {0, 127}, {0, 127}, 0},
      {10, "BounceUp", {-63, 0}, {-64, 0}, 64},
      {11, "BounceUpFactor", {0, 127}, {0, 127}, 0},
      {1, "Initial Level", {0, 31}, {0, 31}, 0},
      {3, "Acceleration", {0, 31}, {0, 31}, 0},
      {4, "Off - Level", {0, 31}, {0, 31}, 0},
      {5, "On-Level", {0, 31}, {0, 31}, 0},
      {3, "OFF-delay (debounce)", {0, 31}, {0, 31}, 0},
      {4, "ON-delay (debounce)", {0, 31}, {0, 31}, 0},
  }};
  return kRules[static_cast<size_t>(box)];
}

EnteredParam EnterConfigBox(ConfigBox box, int typed) {
  const ConfigBoxRule& r = RuleFor(box);
  const int v = r.Typed.clamp(typed);
  return {v, static_cast<uint8_t>(v + r.StoreOffset)};
}

EnteredParam SpinConfigBox(ConfigBox box, int spinnerValue) {
  const ConfigBoxRule& r = RuleFor(box);
  // A spinner cannot leave its range; clamping here keeps a stray value from wrapping.
  const int v = r.Spinner.clamp(spinnerValue);
  return {v, static_cast<uint8_t>(v + r.StoreOffset)};
}

int ShownConfigValue(ConfigBox box, uint8_t stored) { return stored - RuleFor(box).StoreOffset; }

ServoFlags DecodeServoFlags(uint8_t e2) {
  ServoFlags f;
  f.RangeIndex = e2 & 7;
  if (f.RangeIndex > 4) f.RangeIndex = 0;
  f.AutoSuspend = (e2 & kServoFlagAutoSuspend) != 0;
  f.Suspended = (e2 & kServoFlagSuspended) != 0;
  f.Initialised = (e2 & kServoFlagInitialised) != 0;
  return f;
}

uint8_t EncodeServoFlags(int rangeIndex, bool autoSuspend, bool suspended) {
  const int range = rangeIndex >= 0 && rangeIndex <= 4 ? rangeIndex : 0;
  return static_cast<uint8_t>(range + kServoFlagCurrentFormat + (autoSuspend ? kServoFlagAutoSuspend : 0) +
                              (suspended ? kServoFlagSuspended : 0));
}

PwmModes DecodePwmModes(uint8_t e2) { return {e2 & 1, (e2 >> 1) & 1}; }

uint8_t EncodePwmModes(int accelMode, int driveMode) {
  return static_cast<uint8_t>(2 * (accelMode != 0 ? 1 : 0) + (driveMode != 0 ? 1 : 0));
}

bool ApplyOldServoFormat(PinConfigBytes& cfg) {
  if (cfg[0] != kCfgServo || cfg[2] < 16 || (cfg[2] & kServoFlagCurrentFormat) != 0) return false;
  cfg[2] = static_cast<uint8_t>(cfg[2] / 16 + 40);
  return true;
}

bool ApplyShortPwmReply(PinConfigBytes& cfg, int receivedCount) {
  if ((cfg[0] != kCfgPwm && cfg[0] != kCfgPwmInverted) || receivedCount >= 6) return false;
  cfg[4] = 0;
  cfg[5] = 31;
  return true;
}

bool ShortPwmReplyMismatch(int receivedType, int receivedCount, const PinConfigBytes& model) {
  if ((receivedType != kCfgPwm && receivedType != kCfgPwmInverted) || receivedCount >= 6) return false;
  return !(model[5] == 31 && model[4] == 0);
}

void ReduceServoFlagsForWrite(PinConfigBytes& cfg) {
  if (cfg[0] == kCfgServo) cfg[2] = static_cast<uint8_t>(cfg[2] % 64);
}

bool HardwareWarningVisible(const GeneralSettings& g, int pin, PinKind shownKind) {
  if (shownKind != PinKind::Servo && shownKind != PinKind::Input) return false;
  if (pin < 0 || pin >= kPinsInUse) return false;
  const auto group = static_cast<size_t>(pin / 8);
  return g.HWCSink[group] || g.HWCSource[group];
}

}  // namespace vorn
