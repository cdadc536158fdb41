#include "cli/StderrUi.h"

#include <unistd.h>

#include <cstdio>

namespace vorn::cli {

StderrUi::StderrUi() : terminal_(isatty(STDERR_FILENO) == 1) {}

std::string StderrUi::Lines(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += '\n';
    } else {
      out += text[i];
    }
  }
  return out;
}

void StderrUi::line(const std::string& text) {
  endProgress();
  std::fprintf(stderr, "%s\n", Lines(text).c_str());
  std::fflush(stderr);
}

void StderrUi::message(const std::string& text, Icon) { line(text); }

bool StderrUi::askOkCancel(const std::string& text, Icon) {
  line(text + " -> Cancel");
  return false;
}

bool StderrUi::askToAct(const std::string& text, Icon, const std::string&, const std::string& keep) {
  line(text + " -> " + keep);
  return false;
}

bool StderrUi::askYesNo(const std::string& text, Icon) {
  line(text + " -> No");
  return false;
}

void StderrUi::progress(const std::string& text) {
  if (!terminal_) return;
  std::fprintf(stderr, "\r%-40s", text.c_str());
  std::fflush(stderr);
  progressShown_ = true;
}

void StderrUi::endProgress() {
  if (!progressShown_) return;
  std::fprintf(stderr, "\r%-40s\r", "");
  std::fflush(stderr);
  progressShown_ = false;
}

}  // namespace vorn::cli
