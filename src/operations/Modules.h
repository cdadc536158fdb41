#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "files/ModuleIndex.h"

namespace vorn {

class Session;

// Reply window per address while looking for modules: a bus with one module is searched in a
// few seconds, and a module that answers at all answers well within it.
inline constexpr double kProbeReplyWindow = 0.25;

// A module that answered on the bus.
struct FoundModule {
  int module = 0;       // stored address 0..15
  std::string version;  // firmware version, "1.2.3.4"
  std::string id;       // identity string, 8-bit as the Vorn gave it ("" when it gave none)
  bool operator==(const FoundModule&) const = default;
};

// Asks one module address, on the session's port and link settings, for its firmware version
// and identity string with the short reply window and without messages. The session's
// document, module address and device as last known are as they were afterwards.
std::optional<FoundModule> ProbeModule(Session& s, int module);

// Find Modules: every address 0..15 in turn, with progress. A stop ends the search with
// what it found so far. Nothing is written to any Vorn.
std::vector<FoundModule> FindModules(Session& s);

// What became of one module in Back Up All or Verify All Modules.
struct ModuleOutcome {
  enum class Kind {
    Saved,
    NoAnswer,
    ReadFailed,
    SaveFailed,
    VerifyOk,
    Differences,
    VerifyFailed,
    FileBad,
    Stopped
  };
  int module = 0;
  Kind kind = Kind::NoAnswer;
  int differences = 0;
  std::string path;     // the module's file
  std::string problem;  // first line of what went wrong, when the link said
  std::string report;   // the verification report (CR LF lines)
  FoundModule found;    // as the module answered the probe
};

// One line for a list: "saved module-03.dat", "Verify OK", "2 differences", "no answer".
std::string OutcomeText(const ModuleOutcome& o);

using ModuleOutcomeSink = std::function<void(const ModuleOutcome&)>;

// Back Up All: reads each module (after a short probe) into DIR/module-NN.dat as a full file,
// and lists those saved in DIR/modules.txt. A module that does not answer or fails is
// reported and the others go on; a file that cannot be saved ends the run (the next would
// fail alike). `each` hears of every module as it ends. The session's document and module
// address are as they were afterwards.
std::vector<ModuleOutcome> BackUpModules(Session& s, const std::vector<int>& modules, const std::string& dir,
                                         const ModuleOutcomeSink& each = {});

// Verify All Modules: verifies each module against DIR/module-NN.dat, as BackUpModules goes
// on past a module that fails; the report of each is in its outcome.
std::vector<ModuleOutcome> VerifyModules(Session& s, const std::vector<int>& modules, const std::string& dir,
                                         const ModuleOutcomeSink& each = {});

// The modules of a backup folder: those in its index when it has one, else those whose
// module-NN.dat is there (with neither version nor identity string).
std::vector<ModuleIndexEntry> ModulesInFolder(const std::string& dir);

// The start-up state of a document: what a new window holds before anything is read or loaded.
void ResetDocument(Session& s, int numberBase);

}  // namespace vorn
