#pragma once

#include <optional>
#include <string>

namespace vorn {

// Whole-file access for both file formats. Paths are local file names (UTF-8); "-" stands
// for standard input (reading) or standard output (saving).
inline constexpr const char* kStandardStream = "-";

// The file's bytes, or nullopt when it cannot be opened or read (`error`, if given, says why).
std::optional<std::string> ReadFileBytes(const std::string& path, std::string* error = nullptr);

// Saves a regular (or new) file by writing a temporary file in the same folder and renaming
// it over `path`, so a failed save leaves any previous file byte for byte as it was; a
// symbolic link keeps pointing at its file, which is the one replaced. A path that exists
// and is no regular file (a character device such as /dev/null, a FIFO) is written in
// place: renaming over it would replace the device. On failure `error` (if given) gives
// the system's reason ("No space left on device", "File too large", "Permission denied").
bool SaveFileBytes(const std::string& path, const std::string& bytes, std::string* error = nullptr);

// Whether SaveFileBytes could write `path`, checked before the work that makes the bytes
// (a read of a whole Vorn): "" when it can, else why not ("Is a directory", "No such file or
// directory" for a missing folder, "Permission denied"). Nothing is created.
std::string SaveProblem(const std::string& path);

}  // namespace vorn
