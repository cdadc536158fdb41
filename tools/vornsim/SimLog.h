#pragma once
// The --log file: one line per frame received or event, flushed at once so that a test can
// read it while the simulator runs. Without --log nothing is written.

#include <cstdio>
#include <string>

#include "Frame.h"

namespace vornsim {

class SimLog {
 public:
  SimLog() = default;
  ~SimLog();
  SimLog(const SimLog&) = delete;
  SimLog& operator=(const SimLog&) = delete;

  bool open(const std::string& path);
  void line(const std::string& text);
  bool enabled() const { return file_ != nullptr; }

  static std::string list(const Bytes& bytes);  // "1,2,3"

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace vornsim
