#pragma once

#include <any>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "link/MirrorPort.h"
#include "link/Prompter.h"

namespace vorn {

class Link;
class Session;

// A module of the layout as the window tells it apart: the port it is on, its module address
// and its extended address (-1 without extended addressing).
struct ModuleKey {
  std::string port;
  int module = 0;
  int ext = -1;
  auto operator<=>(const ModuleKey&) const = default;
};
ModuleKey ModuleKeyOf(const Link& link);

// What the window keeps, for this run only, of every module the user has worked on: a whole
// copy of its document (what Session::copyDocumentFrom takes: the configuration, report,
// marks and the device as last known) and the window's own part of it (the file it came from,
// what counted as saved), so that switching back finds the edits and Write Changes as left.
class ModuleStore {
 public:
  explicit ModuleStore(Prompter& prompter) : prompter_(prompter) {}
  ~ModuleStore();

  // Keeps a copy of `doc`'s document under `key` (replacing what was kept there).
  void keep(const ModuleKey& key, const Session& doc, std::any windowPart);
  // Puts the document kept under `key` into `doc` and gives the window's part; nullptr (and
  // `doc` untouched) when nothing is kept there.
  const std::any* restore(const ModuleKey& key, Session& doc) const;
  bool holds(const ModuleKey& key) const { return kept_.count(key) != 0; }
  // The kept document itself, to look at without restoring it.
  const Session* document(const ModuleKey& key) const;
  const std::any* windowPart(const ModuleKey& key) const;
  std::vector<ModuleKey> keys() const;

 private:
  struct Entry {
    std::unique_ptr<Session> doc;
    std::any window;
  };
  Prompter& prompter_;
  MirrorPort noPort_;  // kept documents never talk to a device
  std::map<ModuleKey, Entry> kept_;
};

}  // namespace vorn
