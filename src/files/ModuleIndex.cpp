#include "files/ModuleIndex.h"

#include <sstream>

namespace vorn {

namespace {

constexpr const char* kHeading = "module\tidentity\tfirmware\tdate";

// A tab or line end inside an identity string would break the line apart.
std::string OneField(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

}  // namespace

std::string ModuleFileName(int module) {
  return std::string("module-") + (module < 10 ? "0" : "") + std::to_string(module) + ".dat";
}

std::string WriteModuleIndexText(const std::vector<ModuleIndexEntry>& entries) {
  std::string out = std::string(kHeading) + "\n";
  for (const ModuleIndexEntry& e : entries) {
    out += std::to_string(e.module) + "\t" + OneField(e.id) + "\t" + OneField(e.version) + "\t" +
           OneField(e.date) + "\n";
  }
  return out;
}

std::optional<std::vector<ModuleIndexEntry>> ReadModuleIndexText(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line != kHeading) return std::nullopt;
  std::vector<ModuleIndexEntry> entries;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> f;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
      f.push_back(line.substr(start, tab - start));
    f.push_back(line.substr(start));
    if (f.size() != 4 || f[0].empty() || f[0].size() > 2 ||
        f[0].find_first_not_of("0123456789") != std::string::npos)
      continue;
    const int m = std::stoi(f[0]);
    if (m > 15) continue;
    entries.push_back({m, f[1], f[2], f[3]});
  }
  return entries;
}

}  // namespace vorn
