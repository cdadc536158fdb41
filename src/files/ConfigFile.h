#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "link/Prompter.h"
#include "model/ConfigModel.h"
#include "model/GeneralSettings.h"

namespace vorn {

// The configuration data file ("Vorn Config Data|*.dat"): the general settings, the event
// actions and every pin. Everything the file carries lives in the model and the general
// settings (XAD: PalkFlexStart in the model, the flag and ModuleExtAddress in general).

inline constexpr const char* kConfigFileFilter = "Vorn Config Data|*.dat";
inline constexpr int kDataFileVersion = 32;
inline constexpr const char* kInvalidConfigFile = "Invalid configuration file";

enum class ConfigFileMode { Full, Compact };

// The event enable maps as the Vorn holds them ("Ena" line, just before "End"): bit j of a
// map set = input j's event-on (event-off) actions disabled at start. A file without the
// line says nothing about the maps.
struct EnableMapBytes {
  uint8_t on = 0;
  uint8_t off = 0;
  bool operator==(const EnableMapBytes&) const = default;
};

// Text of the file, with the "Ena" line when `maps` is given. Reduces a servo pin's
// PinConfig[2] to its low six bits in the model before writing it, as the Vorn only keeps
// those.
std::string WriteConfigText(ConfigModel& m, const GeneralSettings& g, ConfigFileMode mode,
                            const std::optional<EnableMapBytes>& maps = std::nullopt);

// A compact file keeps only pins with a description; when none has one it holds no pin at
// all, which the saving front end says (the file is still saved).
inline constexpr const char* kCompactHoldsNoPin =
    "No pin has a description, so the compact file holds no pins (only the general settings and "
    "event actions): save the full file to keep them";
bool CompactHoldsNoPin(const ConfigModel& m);

// Writes the file (see SaveFileBytes: "-" is standard output). On failure shows the reason
// through the prompter and leaves any previous file untouched.
bool SaveConfigFile(const std::string& path, ConfigModel& m, const GeneralSettings& g, ConfigFileMode mode,
                    Prompter& prompter, const std::optional<EnableMapBytes>& maps = std::nullopt);

enum class ConfigLoadStatus { Loaded, CannotOpen, Invalid };

// Reads a file's text over the model and the general settings (nothing is cleared first).
// The whole file is read into copies and committed only when it is sound: a wrong header,
// a file ending before "End", an index outside its table or a number too big for its field
// shows "Invalid configuration file" and changes nothing; the lines after it name the file
// (`name`, when given), the line and what was wrong there. Older versions show "Data File
// Version = <n>" first. On success the address tables and DCC bases are recomputed; the
// caller then redraws its displays. On success `maps` (if given) gets the file's enable
// maps, or nullopt when it holds none.
ConfigLoadStatus ReadConfigText(const std::string& bytes, ConfigModel& m, GeneralSettings& g,
                                Prompter& prompter, std::optional<EnableMapBytes>* maps = nullptr,
                                const std::string& name = {});

// ReadConfigText on a file ("-" is standard input); an unreadable file shows
// "Can not open <path>".
ConfigLoadStatus LoadConfigFile(const std::string& path, ConfigModel& m, GeneralSettings& g,
                                Prompter& prompter, std::optional<EnableMapBytes>* maps = nullptr);

// Baud rate texts of ComboGenBaud, index 0..7.
const char* SerialBaudText(int index);

}  // namespace vorn
