#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vorn {

// A backup folder of a whole bus: one full configuration file per module, named by its
// stored address, and a short index of what was found when.
std::string ModuleFileName(int module);  // "module-03.dat"
inline constexpr const char* kModuleIndexName = "modules.txt";

struct ModuleIndexEntry {
  int module = 0;       // stored address 0..15
  std::string id;       // identity string, 8-bit as the Vorn gave it
  std::string version;  // firmware version
  std::string date;     // when it was saved, "2026-12-07 17:03"
  bool operator==(const ModuleIndexEntry&) const = default;
};

// The index as text: a heading line, then one tab-separated line per module.
std::string WriteModuleIndexText(const std::vector<ModuleIndexEntry>& entries);
// Lines that do not parse are skipped; nullopt when the heading is missing.
std::optional<std::vector<ModuleIndexEntry>> ReadModuleIndexText(const std::string& text);

}  // namespace vorn
