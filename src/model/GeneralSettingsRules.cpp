#include "model/GeneralSettingsRules.h"

#include <algorithm>

#include "model/Addresses.h"

namespace vorn {

namespace {

uint8_t u8(int v) { return static_cast<uint8_t>(v); }
bool isOn(TriState t) { return t == TriState::Checked; }
TriState box(bool on) { return on ? TriState::Checked : TriState::Unchecked; }
size_t at(int i) { return static_cast<size_t>(i); }

}  // namespace

uint8_t DataByte(int value) { return u8(std::clamp(value, 0, 127)); }

uint8_t HWCByte(const GeneralSettings& g, int group) {
  VORN_CHECK(group >= 0 && group < 4);
  return u8((g.HWCSink[at(group)] ? 1 : 0) + (g.HWCSource[at(group)] ? 2 : 0));
}

void SetHWCFromByte(GeneralSettings& g, int group, uint8_t code) {
  VORN_CHECK(group >= 0 && group < 4);
  g.HWCSink[at(group)] = (code & 1) != 0;
  g.HWCSource[at(group)] = (code & 2) != 0;
}

uint8_t XGMByte(const GeneralSettings& g, int i) {
  VORN_CHECK(i >= 0 && i < 4);
  int m = 0;
  for (int j = 0; j < 4; ++j) m += g.XGM[at(4 * i + j)] ? (1 << j) : 0;
  return u8(m);
}

void SetXGMFromByte(GeneralSettings& g, int i, uint8_t mask) {
  VORN_CHECK(i >= 0 && i < 4);
  for (int j = 0; j < 4; ++j) g.XGM[at(4 * i + j)] = (mask >> j & 1) != 0;
}

uint8_t DCCOptionsByte(const GeneralSettings& g) {
  const int r = g.DCCRetention;
  const int retention = (r == 0 || r == 1 || r == 3) ? r : 2;
  return u8(retention + (g.DCCStateInvert ? 4 : 0) + (g.DCCAllow0 ? 8 : 0));
}

void SetDCCOptionsFromByte(GeneralSettings& g, uint8_t options) {
  g.DCCRetention = u8(options % 4);
  g.DCCStateInvert = (options & 4) != 0;
  g.DCCAllow0 = (options & 8) != 0;
}

AddressBytes SplitAddress(int value) {
  const int v = std::clamp(value, 0, 64 * 128 - 1);
  return {u8(v % 64), u8(v / 64)};
}

int JoinAddress(uint8_t lo, uint8_t hi) { return hi * 64 + lo; }

uint8_t LEDMask(const std::array<TriState, 8>& boxes) {
  int m = 0;
  for (int i = 0; i < 7; ++i) m += isOn(boxes[at(i)]) ? (1 << i) : 0;
  return u8(m);
}

void SetLEDBoxesFromMask(std::array<TriState, 8>& boxes, uint8_t mask) {
  for (int i = 0; i < 7; ++i) boxes[at(i)] = box((mask >> i & 1) != 0);
  boxes[7] = (mask & 0x7F) == 0 ? TriState::Grey : TriState::Unchecked;
}

uint8_t SerialPortConfigByte(const GeneralSettings& g) {
  return u8((g.SerialBaudIndex & 7) + (g.SerialDataBits == 1 ? 8 : 0) + 16 * (g.SerialParity & 3) +
            (g.SerialStop == 1 ? 64 : 0));
}

void SetSerialPortFromBytes(GeneralSettings& g, uint8_t enable, uint8_t config) {
  g.SerialEnable = enable != 0;
  g.SerialBaudIndex = u8(config % 8);
  g.SerialDataBits = u8(config >> 3 & 1);
  g.SerialParity = u8(config >> 4 & 3);
  g.SerialStop = u8(config >> 6 & 1);
}

std::string CutIDString(const std::string& text) {
  return text.substr(0, std::min(text.size(), kIDStringMax));
}

bool IsSendableIDString(const std::string& text) { return FirstUnsendableIDChar(text) == 0; }

int FirstUnsendableIDChar(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) >= 128) return static_cast<int>(i) + 1;
  }
  return 0;
}

void ClickLEDBox(std::array<TriState, 8>& boxes, int i, bool checked) {
  VORN_CHECK(i >= 0 && i < 8);
  if (i == 7) {
    if (checked) {
      for (int k = 0; k < 7; ++k) boxes[at(k)] = TriState::Unchecked;
      boxes[7] = TriState::Grey;
    } else {
      // Box 7 only says "nothing chosen": it cannot be switched off by itself.
      const bool any = LEDMask(boxes) != 0;
      boxes[7] = any ? TriState::Unchecked : TriState::Grey;
    }
    return;
  }
  boxes[at(i)] = box(checked);
  if (checked)
    boxes[7] = TriState::Unchecked;
  else if (LEDMask(boxes) == 0)
    boxes[7] = TriState::Grey;
}

bool ClickPalkFlex(GeneralSettings& g, bool checked, bool quietUpdate,
                   const std::function<bool(const std::string&)>& confirm) {
  if (checked && !quietUpdate && !(confirm && confirm(kPalkFlexWarning))) checked = false;
  g.PalkFlexEnabled = checked;
  return checked;
}

int EnterPalkFlexStart(ConfigModel& m, int typed) {
  m.PalkFlexStart = PalkFlexStartFromBox(typed, m.NumberBase);
  return PalkFlexStartBoxValue(m.PalkFlexStart, m.NumberBase);
}

int StepPalkFlexStart(ConfigModel& m, bool up) {
  m.PalkFlexStart = PalkFlexStartStep(m.PalkFlexStart, up);
  return PalkFlexStartBoxValue(m.PalkFlexStart, m.NumberBase);
}

int EnterModuleExtAddress(GeneralSettings& g, int typed, int numberBase) {
  const int v = ExtAddressBoxRange(numberBase).clamp(typed);
  g.ModuleExtAddress = u8(v - numberBase);
  return v;
}

int EnterDCCAddress(GeneralSettings& g, int typed) {
  g.DCCAddress = DCCAddressRange(g.DCCAllow0).clamp(typed);
  return g.DCCAddress;
}

int EnterXDCCAddress(GeneralSettings& g, int typed) {
  g.XDCCAddress = XDCCAddressRange(g.DCCAllow0).clamp(typed);
  return g.XDCCAddress;
}

void ClickDCCAllow0(GeneralSettings& g, bool checked) {
  g.DCCAllow0 = checked;
  EnterDCCAddress(g, g.DCCAddress);
  EnterXDCCAddress(g, g.XDCCAddress);
}

}  // namespace vorn
