#include "Transcript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace vorn::test {

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

std::string Normalise(std::string text, const std::vector<std::pair<std::string, std::string>>& fixed) {
  for (const auto& [from, to] : fixed) {
    if (from.empty()) continue;
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
      text.replace(at, from.size(), to);
  }
  static const std::pair<std::regex, const char*> kVarying[] = {
      {std::regex("/dev/pts/[0-9]+"), "<pty>"},
      {std::regex("\\b[0-9]{4}-[0-9]{2}-[0-9]{2}\\b"), "<date>"},
      {std::regex("\\b[0-9]{2}:[0-9]{2}:[0-9]{2}\\b"), "<time>"},
  };
  for (const auto& [pattern, placeholder] : kVarying) text = std::regex_replace(text, pattern, placeholder);
  return text;
}

void ExpectTranscript(const std::string& record, const std::string& actual) {
  const std::string path = std::string(VORN_SOURCE_DIR) + "/tests/" + record;
  const char* update = std::getenv("VORN_UPDATE_TRANSCRIPTS");
  if (update != nullptr && std::string(update) == "1") {
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  const std::string expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (expected == actual) return;
  const auto want = Lines(expected);
  const auto got = Lines(actual);
  std::size_t first = 0;
  while (first < want.size() && first < got.size() && want[first] == got[first]) ++first;
  std::size_t same = 0;  // lines that agree at the end
  while (same < want.size() - first && same < got.size() - first &&
         want[want.size() - 1 - same] == got[got.size() - 1 - same])
    ++same;
  std::size_t column = 0;  // where the first differing line differs
  while (first < want.size() && first < got.size() && column < want[first].size() &&
         column < got[first].size() && want[first][column] == got[first][column])
    ++column;
  const auto shown = [column](const std::string& line) {  // of a long line (a dump) the part around it
    if (line.size() <= 160) return line;
    const std::size_t from = column > 60 ? column - 60 : 0;
    return (from > 0 ? "..." : "") + line.substr(from, 120) + (from + 120 < line.size() ? "..." : "");
  };
  std::ostringstream msg;
  msg << "tests/" << record << " differs from line " << first + 1 << " on (- recorded, + now):\n";
  for (std::size_t i = first >= 2 ? first - 2 : 0; i < first; ++i) msg << "  " << shown(want[i]) << "\n";
  for (std::size_t i = first; i < std::min(want.size() - same, first + 6); ++i)
    msg << "- " << shown(want[i]) << "\n";
  for (std::size_t i = first; i < std::min(got.size() - same, first + 6); ++i)
    msg << "+ " << shown(got[i]) << "\n";
  msg << "When the change is meant, record it again:\n"
         "  VORN_UPDATE_TRANSCRIPTS=1 ctest --test-dir build -R Transcript";
  ADD_FAILURE() << msg.str();
}

}  // namespace vorn::test
