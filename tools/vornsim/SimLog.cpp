#include "SimLog.h"

namespace vornsim {

SimLog::~SimLog() {
  if (file_ != nullptr) std::fclose(file_);
}

bool SimLog::open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "w");
  return file_ != nullptr;
}

void SimLog::line(const std::string& text) {
  if (file_ == nullptr) return;
  std::fputs(text.c_str(), file_);
  std::fputc('\n', file_);
  std::fflush(file_);
}

std::string SimLog::list(const Bytes& bytes) {
  std::string s;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i != 0) s += ',';
    s += std::to_string(bytes[i]);
  }
  return s;
}

}  // namespace vornsim
