#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/ConfigModel.h"
#include "model/GeneralSettings.h"

namespace vorn {

// One Vorn's whole configuration: the model, the general settings and the two enable maps
// (held as the eight "initial enable" boxes: box j = event-on of input j enabled at start,
// box 4 + j = event-off). Descriptions and device names ride along; the Vorn keeps none.
struct VornConfiguration {
  ConfigModel model;
  GeneralSettings general;
  std::array<bool, 8> initEnable{true, true, true, true, true, true, true, true};
  // False when the boxes do not stand for any Vorn's maps (not read, not in the file).
  bool enableMapsKnown = true;
};

// The block that carries a difference to the Vorn, in the order Write All sends them.
enum class ChangeItem {
  GenID,
  GenDCCOptions,
  GenDCCAddress,
  GenXDCCAddress,
  GenLEDGreen,
  GenLEDOrange,
  GenHWC,
  GenSerial,
  PinFileOnly,  // description, device name, aspect description: kept in the file only
  PinLayout,
  PinInit,
  PinAddresses,  // address counts and device pointer
  PinAspect,
  PinConfig,
  EventOn,
  EventOff,
  EnableMaps,
  GenPalk,  // the address settings go last
  GenXGM,
  GenExtAddress,
};

struct ConfigChange {
  ChangeItem item = ChangeItem::GenID;
  int pin = -1;     // pin items and events
  int aspect = -1;  // PinAspect
  std::string text;

  bool fileOnly() const { return item == ChangeItem::PinFileOnly; }
};

// The differences between two configurations, one line each: general settings, pins 0..31,
// event actions, enable maps, address settings. Pins and addresses
// are numbered from `numberBase`; a pin is named by its description (the newer one when
// both have one). Fields beyond a pin's layout or configuration type are not compared, nor
// are enable maps that `after` does not know; maps only `after` knows all count as changed.
std::vector<ConfigChange> CompareConfigurations(const VornConfiguration& before,
                                                const VornConfiguration& after, int numberBase);

// Pins 0..31 with at least one difference the Vorn stores (event actions included).
std::array<bool, kPinsInUse> PinsWithDeviceChanges(const std::vector<ConfigChange>& changes);

// A slot in words: "SetLevel & Wait 4, 0, 10, 0", "Off fade 2, 30", "empty".
std::string InstructionText(const Instruction& in, int pin);

// "Servo", "PWM inverted", ... or "type 9" for a type outside 0..5.
std::string PinTypeText(int type);

}  // namespace vorn
