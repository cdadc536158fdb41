#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "model/ConfigModel.h"
#include "model/GeneralSettings.h"

namespace vorn {

// ---------------------------------------------------------------------------------------
// Device bytes of the general settings. Writes and the verification encode through these,
// so a setting compares equal exactly when writing it would send what the Vorn holds.
// Every result is a 7-bit data byte whatever the settings hold (a loaded file can carry
// anything).
// ---------------------------------------------------------------------------------------

// A stored number as a data byte (0..127).
uint8_t DataByte(int value);

// Hardware configuration of pin group i (0..3): 0 neither, 1 sink, 2 source, 3 both.
uint8_t HWCByte(const GeneralSettings& g, int group);
// Sets the two boxes of a group from a code 0..3 (callers refuse codes above 3).
void SetHWCFromByte(GeneralSettings& g, int group, uint8_t code);

// Extended group mask byte i (0..3): bit j = box 4i + j.
uint8_t XGMByte(const GeneralSettings& g, int i);
void SetXGMFromByte(GeneralSettings& g, int i, uint8_t mask);

// DCC options: retention index + 4 x state invert + 8 x allow address 0. A retention value
// other than 0, 1 or 3 counts as 2, the way the option group is tested.
uint8_t DCCOptionsByte(const GeneralSettings& g);
void SetDCCOptionsFromByte(GeneralSettings& g, uint8_t options);

// A DCC (or extended DCC) address as two bytes v mod 64, v div 64.
struct AddressBytes {
  uint8_t Lo = 0;
  uint8_t Hi = 0;
  bool operator==(const AddressBytes&) const = default;
};
AddressBytes SplitAddress(int value);  // value clamped to 0..8191 so both bytes stay 7-bit
int JoinAddress(uint8_t lo, uint8_t hi);

// LED functions: bit i = box i for i 0..6; box 7 (nothing chosen) is not sent.
uint8_t LEDMask(const std::array<TriState, 8>& boxes);
// Mask 0 greys box 7 and clears the rest; otherwise boxes 0..6 follow the bits, 7 clear.
void SetLEDBoxesFromMask(std::array<TriState, 8>& boxes, uint8_t mask);

// Serial port configuration byte: baud index + 8 x data bits + 16 x parity + 64 x stop.
// A parity code of 1 (read from a device; the window has no button for it) travels back
// unchanged.
uint8_t SerialPortConfigByte(const GeneralSettings& g);
void SetSerialPortFromBytes(GeneralSettings& g, uint8_t enable, uint8_t config);

// Identity string: at most 12 characters travel.
inline constexpr size_t kIDStringMax = 12;
std::string CutIDString(const std::string& text);
// True when every character is a 7-bit code (others cannot be sent).
bool IsSendableIDString(const std::string& text);
// Position (from 1) of the first character that cannot be sent, or 0.
int FirstUnsendableIDChar(const std::string& text);

// ---------------------------------------------------------------------------------------
// Handlers of the general-tab fields that are not about drawing. Each returns what the box
// must show (shown numbers, NumberBase included, where a number is involved).
// ---------------------------------------------------------------------------------------

// CheckLCGreen(i) / CheckLCOrange(i) clicked to `checked`: box 7 is on exactly when none of
// boxes 0..6 is.
void ClickLEDBox(std::array<TriState, 8>& boxes, int i, bool checked);

inline constexpr char kPalkFlexWarning[] =
    "Palk Flexible Addressing is a complex concept !!\n"
    "It should only be activated by experienced users\n"
    "that understand the details very well !";

// CheckGenPalkaddr set to `checked`. Turning it on asks `confirm` (OK/Cancel with the
// warning above) unless quietUpdate; anything but OK leaves it off. Returns the new state.
bool ClickPalkFlex(GeneralSettings& g, bool checked, bool quietUpdate,
                   const std::function<bool(const std::string&)>& confirm);

// TextGenPalkaddr: clamped, rounded down to the step of four, stored in PalkFlexStart.
int EnterPalkFlexStart(ConfigModel& m, int typed);
// UpDownGenPalkaddr one step.
int StepPalkFlexStart(ConfigModel& m, bool up);

// TextGenXaddr: clamped to NumberBase..NumberBase + 95, stored in ModuleExtAddress.
int EnterModuleExtAddress(GeneralSettings& g, int typed, int numberBase);

// TextGenDCCAddress / TextGenXDCCAddress: clamped to 1 - a .. 510 / 2046 (a = Allow0).
int EnterDCCAddress(GeneralSettings& g, int typed);
int EnterXDCCAddress(GeneralSettings& g, int typed);
// ChkGenDCCAllow0 clicked: both address rules run again under the new setting.
void ClickDCCAllow0(GeneralSettings& g, bool checked);

}  // namespace vorn
