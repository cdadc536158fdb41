#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vorn::cli {

// What one vornctl invocation asks for. Numbers are stored values (module 0 is the first).
struct CliOptions {
  std::string command;  // ports, modules, read, write, verify, convert, diff ("" with help = general help)
  bool help = false;
  std::string port;
  std::string in;
  std::string out;
  bool compact = false;
  bool allModules = false;
  int baudIndex = 1;  // 0 = 9600, 1 = 19200, 2 = 38400
  int module = 0;
  int xaddr = -1;  // -1: no extended addressing
  bool kestro = false;
  bool oneWay = false;
  int numberFrom = 1;
  std::vector<std::string> files;  // diff: the two files
};

struct ParseResult {
  std::optional<CliOptions> options;
  std::string error;  // set when options is empty
};

ParseResult ParseArgs(const std::vector<std::string>& args);

// Help texts: the general one, and the one of a command.
std::string GeneralHelp();
std::string CommandHelp(const std::string& command);

}  // namespace vorn::cli
