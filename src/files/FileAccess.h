#pragma once

#include <optional>
#include <string>

namespace vorn {

// Whole-file access for both file formats. Paths are local file names (UTF-8).

// The file's bytes, or nullopt when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// Writes to a temporary file in the same folder and renames it over `path`, so a failed
// save leaves any previous file as it was. On failure `error` (if given) says why.
bool SaveFileBytes(const std::string& path, const std::string& bytes, std::string* error = nullptr);

}  // namespace vorn
