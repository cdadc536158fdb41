#pragma once

#include <string>
#include <vector>

namespace vorn {

// Where the standard device library is found at start: beside the program first (the build
// tree, a portable copy), then as vornconfig/VornDevices.def in the XDG data folders
// ($XDG_DATA_HOME, then $XDG_DATA_DIRS: /usr/share/vornconfig for an installed package).
struct StandardLibraryLookup {
  std::string path;                   // the file found, or the one beside the program when none is
  std::vector<std::string> searched;  // the folders looked in, in order
};

StandardLibraryLookup FindStandardDeviceLibrary(const std::string& programDir);

}  // namespace vorn
