#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/ConfigModel.h"
#include "model/GeneralSettings.h"
#include "model/Instructions.h"  // IntRange, EnteredParam

namespace vorn {

using PinConfigBytes = std::array<uint8_t, kPinConfigBytes>;

// Configuration types in PinConfig(0).
inline constexpr uint8_t kCfgClear = 0;
inline constexpr uint8_t kCfgServo = 1;
inline constexpr uint8_t kCfgPwm = 2;
inline constexpr uint8_t kCfgPwmInverted = 3;
inline constexpr uint8_t kCfgInput = 4;
inline constexpr uint8_t kCfgInputLowActive = 5;

// The four kinds, numbered as the tabs of SSTabPCFG.
enum class PinKind { Clear = 0, Servo = 1, Pwm = 2, Input = 3 };

// Kind of a configuration type; nullopt for a type outside 0..5.
std::optional<PinKind> KindOfType(int type);
bool IsOfKind(int type, PinKind kind);
std::string_view PinKindCaption(PinKind kind);  // "Clear", "Servo", "PWM", "Input"

// "Unknown configuration: <type>"
std::string UnknownConfigurationMessage(int type);

// Number of configuration bytes sent after the pin by 'a' / 'A' for a type:
// servo 12, PWM 6, input 5, anything else 1.
int ConfigElementsSent(int type);

// ---------------------------------------------------------------------------------------
// Kind defaults (choosing a tab)
// ---------------------------------------------------------------------------------------

struct KindDefaults {
  std::array<uint8_t, 12> Config{};  // PinConfig(0..11); element 12 is never touched
  uint8_t LiveLevel = 0;
};
const KindDefaults& DefaultsFor(PinKind kind);

// Makes the pin of `kind`: if it is not already of that kind, the kind's defaults replace
// PinConfig(0..11) and LiveLevel. Returns true when defaults were installed.
bool SelectPinKind(PinData& pin, PinKind kind);

// ---------------------------------------------------------------------------------------
// Numeric boxes of the editor
// ---------------------------------------------------------------------------------------

enum class ConfigBox {
  SrvInitPos,
  Midpoint,
  SrvAntiMass,
  SrvFriction,
  SrvMaxSpd,
  SrvMaxAccel,
  BounceDown,
  BounceDownFactor,
  BounceUp,
  BounceUpFactor,
  PWMInitLevel,
  PWMAccel,
  PWMOffLevel,
  PWMOnLevel,
  InputOffDelay,  // TextInputDelay(0)
  InputOnDelay,   // TextInputDelay(1)
};
inline constexpr int kConfigBoxCount = 16;

struct ConfigBoxRule {
  int Element = 0;         // PinConfig index the box stores into
  std::string_view Label;  // caption next to the box
  IntRange Typed;          // enforced when the box is validated
  IntRange Spinner;        // the spinner's own range
  int StoreOffset = 0;     // stored = shown + StoreOffset (64 for positions and bounces)
};
const ConfigBoxRule& RuleFor(ConfigBox box);

// Validating a box: clamp to the typed range, then the byte to store.
EnteredParam EnterConfigBox(ConfigBox box, int typed);
// A spinner change stores without the typed clamp (its own range applies).
EnteredParam SpinConfigBox(ConfigBox box, int spinnerValue);
// Value a box shows for a stored element.
int ShownConfigValue(ConfigBox box, uint8_t stored);

// Shown position of a servo's LiveLevel (TextPosition, SliderServo).
inline int ShownServoPosition(uint8_t liveLevel) { return liveLevel - 64; }

// ---------------------------------------------------------------------------------------
// Servo flags (element 2) and PWM modes
// ---------------------------------------------------------------------------------------

inline constexpr uint8_t kServoFlagCurrentFormat = 8;
inline constexpr uint8_t kServoFlagAutoSuspend = 16;
inline constexpr uint8_t kServoFlagSuspended = 32;
inline constexpr uint8_t kServoFlagInitialised = 64;

struct ServoFlags {
  int RangeIndex = 0;  // OptionServoRange: 0 "Off", 1 "S", 2 "M", 3 "L", 4 "XL"
  bool AutoSuspend = false;
  bool Suspended = false;
  bool Initialised = false;
  bool operator==(const ServoFlags&) const = default;
};
// Range values 5..7 show as "Off".
ServoFlags DecodeServoFlags(uint8_t element2);
// What an edit in the editor stores: range + current-format bit + the two check boxes
// (the initialised bit is the Vorn's and is dropped).
uint8_t EncodeServoFlags(int rangeIndex, bool autoSuspend, bool suspended);

struct PwmModes {
  int DriveMode = 0;  // bit 0: 0 "Logaritmic", 1 "Linear"
  int AccelMode = 0;  // bit 1
  bool operator==(const PwmModes&) const = default;
};
PwmModes DecodePwmModes(uint8_t element2);
uint8_t EncodePwmModes(int accelMode, int driveMode);

// Type byte from the invert boxes.
inline uint8_t PwmType(bool inverted) { return inverted ? kCfgPwmInverted : kCfgPwm; }
inline uint8_t InputType(bool lowActive) { return lowActive ? kCfgInputLowActive : kCfgInput; }

// ---------------------------------------------------------------------------------------
// Corrections for older firmware and before writing
// ---------------------------------------------------------------------------------------

// A servo element 2 of 16 or more without the current-format bit came from older
// firmware: element 2 becomes element 2 div 16 + 40. Returns true when it changed.
bool ApplyOldServoFormat(PinConfigBytes& cfg);

// A PWM configuration of fewer than 6 bytes: off level 0, on level 31.
bool ApplyShortPwmReply(PinConfigBytes& cfg, int receivedCount);

// Verification of a short PWM reply: true when the model does not hold the values the
// correction would have given (so the pin does not compare).
bool ShortPwmReplyMismatch(int receivedType, int receivedCount, const PinConfigBytes& model);

// Before a servo configuration is written or saved: element 2 mod 64 (the Vorn's
// "initialised" bit is never sent back). Changes the bytes in place.
void ReduceServoFlagsForWrite(PinConfigBytes& cfg);

// ---------------------------------------------------------------------------------------
// Display helpers
// ---------------------------------------------------------------------------------------

// LabelSrvHWCWarn / LabelInpHWCWarn: the pin's group of eight has a driver box ticked.
// Only the servo and input tabs carry the warning.
bool HardwareWarningVisible(const GeneralSettings& g, int pin, PinKind shownKind);

}  // namespace vorn
