#pragma once
// Command-line options of vornsim.

#include <string>
#include <vector>

namespace vornsim {

enum class KestroType { None = 0, Lintor = 2, Corvel = 3, Pardo = 10 };

struct Options {
  std::vector<int> modules{0};
  int xaddr = -1;       // extended address the Vorns answer to; -1 = accept any byte
  int replyXaddr = -1;  // fault: every reply carries this extended address byte
  bool demo = false;
  bool oldFirmware = false;
  bool mute = false;
  int corruptEvery = 0;
  bool noise = false;
  int latencyMs = 0;
  int baud = 0;  // 0 = no pacing
  std::string logFile;
  // Per-request faults: requests whose data bytes start with one of these prefixes.
  std::vector<std::vector<int>> ignoreRequests;  // executed but never answered
  std::vector<std::vector<int>> shortReplies;    // answered without the last data byte
  std::vector<std::vector<int>> wrongEchoes;     // answered with the second echo byte changed
  int vanishAfter = 0;                           // 0 = never
  std::vector<std::string> ids;                  // identity strings of the modules, in their order
  int silentModule = -1;                         // this module falls silent ...
  int silentAfter = 0;                           // ... once it has answered this many frames
  bool exitOnHup = false;
  bool ignoreToggle = false;  // carry out repeated frames instead of answering them from memory
  bool strict = false;        // exit status 3 when any request was refused
  KestroType kestro = KestroType::None;
  int protocolVersion = 3200;  // V as the tunnel encodes it (3.2 = 3200)
  int ifaceVersion = 1030;
};

// Parses argv; on failure returns false with a message in `error`. `--help` sets `help`.
bool parseOptions(int argc, char** argv, Options& out, std::string& error, bool& help);

// Parses "X.Y" into V = X * 1000 + Y (Y read as thousandths: "3.2" = 3200, "1.020" = 1020).
bool parseVersion(const std::string& text, int& v);

const char* usageText();

}  // namespace vornsim
