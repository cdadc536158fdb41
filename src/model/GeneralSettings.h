#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vorn {

// Three-state check box value (the LED boxes' "greyed checked" state is Grey).
enum class TriState : uint8_t { Unchecked = 0, Checked = 1, Grey = 2 };

// Everything the general tab shows, as the window holds it. Addresses are stored values
// (NumberBase is applied only where they are shown). Start values are the window's.
struct GeneralSettings {
  std::string VersionText = "Unknown";  // firmware version caption
  std::string IDString;                 // identity string, 8-bit text
  std::array<bool, 4> HWCSink{};        // per pin group of eight
  std::array<bool, 4> HWCSource{};
  uint8_t ModuleExtAddress = 0;        // 0..95
  std::array<bool, 16> XGM{};          // extended group mask boxes
  int DCCAddress = 1;                  // basic decoder address as the box holds it
  int XDCCAddress = 1;                 // first extended DCC address as the box holds it
  uint8_t DCCRetention = 0;            // OptGenDCC_PRP index 0..3
  bool DCCStateInvert = false;         // ChkGenDCC_BPSI
  bool DCCAllow0 = false;              // ChkGenDCCAllow0
  std::array<TriState, 8> LCGreen{};   // box 7 = "Idle Flash"
  std::array<TriState, 8> LCOrange{};  // box 7 = "All Received Datagrams"
  bool PalkFlexEnabled = false;        // CheckGenPalkaddr (PalkFlexStart lives in the model)
  bool SerialEnable = false;
  uint8_t SerialBaudIndex = 0;  // ComboGenBaud 0..7
  uint8_t SerialDataBits = 0;   // OptionGenSerialDatabits: 0 "7", 1 "8"
  uint8_t SerialParity = 0;     // OptionGenSerialParity: 0 "No", 2 "Even", 3 "Odd"
  uint8_t SerialStop = 0;       // OptionGenSerialStop: 0 "1", 1 "2"

  bool operator==(const GeneralSettings&) const = default;
};

}  // namespace vorn
