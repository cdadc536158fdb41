#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link/Prompter.h"
#include "model/ConfigModel.h"

namespace vorn {

// The device definition library ("Vorn Device Definitions|*.def"): named groups of pins,
// stored relative to their first pin, that can be applied at any pin.

inline constexpr const char* kDeviceFileFilter = "Vorn Device Definitions|*.def";
inline constexpr const char* kStandardDeviceFile = "VornDevices.def";
inline constexpr const char* kInvalidDefinitionFile = "Invalid definition file";

// A file dialog: given the preset file name, returns the chosen path or "" (cancelled).
using PathChooser = std::function<std::string(const std::string& presetName)>;

// The device names on offer (cboDevice) and where each came from.
class DeviceLibrary {
 public:
  std::string DevDefPath;
  std::string DevDefVersion = "Unknown";
  std::vector<std::string> Names;        // cboDevice, in file order, library after library
  std::vector<std::string> DevDefFiles;  // DevDefFiles[i]: the library Names[i] was read from
  std::string VersionLabel;              // lblDDVersion

  // Start-up: the standard library beside the program or in the XDG data folders
  // (FindStandardDeviceLibrary), or one the user picks.
  void LoadAtStart(const std::string& programDir, const PathChooser& openDialog, Prompter& prompter);

  // CommandReloadDD: replace the list by another library's names, or append them.
  // Returns whether a library was read.
  bool Reload(const PathChooser& openDialog, bool append, Prompter& prompter);

  // CommandPAspPreLoad: applies the definition `name` from the library of entry `index` at
  // CurPin. `refresh` runs after the address tables are rebuilt, before the message about
  // pins that were in use. A failed preload changes no pin. Returns whether it applied.
  bool Preload(ConfigModel& m, int index, const std::string& name, Prompter& prompter,
               const std::function<void()>& refresh = {});

 private:
  enum class NamesRead { CannotOpen, Invalid, Read };
  NamesRead readNames(const std::string& path, bool atStart, bool append, Prompter& prompter);
};

// Text of a one-device library holding the device of `devicePin` (which must be a device
// pin). Reduces a servo pin's PinConfig[2] to its low six bits in the model, as saving does.
std::string WriteDeviceText(ConfigModel& m, int devicePin);

// CommandSaveDevice: saves the device of CurPin as a one-device library.
bool SaveDevice(ConfigModel& m, const PathChooser& saveDialog, Prompter& prompter);

// Device reference of CurPin in the pin program editor.
struct DeviceRefView {
  std::string pinText;   // TextDevicePin
  std::string nameText;  // TextDeviceDescription
  bool nameEnabled = true;
};

// Shows the reference; a member pin's own DeviceName is cleared (only device pins keep one).
DeviceRefView ShowDeviceRef(ConfigModel& m);

// TextDevicePin typed: a whole number naming one of the Vorn's pins as shown (NumberBase ..
// NumberBase + 31) sets DevicePointer(CurPin); anything else changes nothing. Returns
// whether it was stored.
bool EnterDevicePin(ConfigModel& m, const std::string& typed);

}  // namespace vorn
