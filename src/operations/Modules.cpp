#include "operations/Modules.h"

#include <ctime>

#include "files/ConfigFile.h"
#include "files/FileAccess.h"
#include "link/MirrorPort.h"
#include "operations/EventControl.h"
#include "operations/General.h"
#include "operations/Jobs.h"
#include "operations/Session.h"

namespace vorn {

namespace {

// Puts the session's document, link options and report hook back as they were: the work on
// other modules leaves the configuration the user edits alone.
class KeepDocument {
 public:
  explicit KeepDocument(Session& s)
      : s_(s),
        copy_(noPort_, s.link.clock(), s.link.prompter()),
        opts_(s.link.opts),
        report_(s.onShowReport) {
    copy_.copyDocumentFrom(s);
    s.onShowReport = nullptr;  // one report per module would be one window per module
  }
  ~KeepDocument() {
    s_.copyDocumentFrom(copy_);
    s_.link.setModuleAddress(opts_.ModuleAddress);  // resynchronise before the next frame
    s_.link.opts = opts_;
    s_.onShowReport = report_;
  }
  KeepDocument(const KeepDocument&) = delete;
  KeepDocument& operator=(const KeepDocument&) = delete;

 private:
  Session& s_;
  MirrorPort noPort_;  // the copy never talks
  Session copy_;
  LinkOptions opts_;
  std::function<void()> report_;
};

// The probe: version, then the identity string, with the short window and no messages.
std::optional<FoundModule> probe(Session& s, int module) {
  struct Restore {
    Link& l;
    double window = l.replyWindow();
    bool quiet = l.quiet();
    ~Restore() {
      l.setReplyWindow(window);
      l.setQuiet(quiet);
    }
  } restore{s.link};
  s.link.setModuleAddress(module);
  s.link.setReplyWindow(kProbeReplyWindow);
  s.link.setQuiet(true);
  if (!ReadGenVersion(s)) return std::nullopt;
  FoundModule found{module, s.general.VersionText, {}};
  if (ReadGenID(s)) found.id = s.general.IDString;
  return found;
}

std::string shown(const Session& s, int module) { return std::to_string(module + s.model.NumberBase); }

std::string today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

// Probes the module before the work on it (a silent one costs a short window, not a job's
// worth of timeouts); nullopt with the outcome filled in when it did not answer.
std::optional<FoundModule> probeFor(Session& s, ModuleOutcome& o) {
  s.link.beginJob();  // the problem named is this module's
  std::optional<FoundModule> f;
  try {
    f = probe(s, o.module);
  } catch (const JobStopped&) {
    o.kind = ModuleOutcome::Kind::Stopped;
    return std::nullopt;
  }
  if (!f) o.kind = ModuleOutcome::Kind::NoAnswer;
  if (f) o.found = *f;
  return f;
}

template <class Work>
std::vector<ModuleOutcome> eachModule(Session& s, const std::vector<int>& modules, const std::string& dir,
                                      const ModuleOutcomeSink& sink, Work work) {
  KeepDocument keep(s);
  const int base = s.model.NumberBase;
  std::vector<ModuleOutcome> out;
  // A port that failed on the way was closed: the modules after it would only fail alike.
  for (std::size_t i = 0; i < modules.size() && !s.stopHere() && s.link.isOpen(); ++i) {
    ModuleOutcome o;
    o.module = modules[i];
    o.path = dir + "/" + ModuleFileName(o.module);
    s.reportProgress(static_cast<int>(i), static_cast<int>(modules.size()),
                     "Module " + std::to_string(o.module + base));
    if (probeFor(s, o)) {
      ResetDocument(s, base);
      s.link.beginJob();
      if (!work(o)) {
        out.push_back(o);
        if (sink) sink(o);
        break;
      }
      if (s.stopped()) o.kind = ModuleOutcome::Kind::Stopped;
    }
    out.push_back(o);
    if (sink) sink(o);
  }
  return out;
}

}  // namespace

std::optional<FoundModule> ProbeModule(Session& s, int module) {
  KeepDocument keep(s);
  return probe(s, module);
}

std::vector<FoundModule> FindModules(Session& s) {
  KeepDocument keep(s);
  std::vector<FoundModule> found;
  for (int m = 0; m <= 15 && !s.stopHere() && s.link.isOpen(); ++m) {
    s.reportProgress(m, 16, "Looking for module " + shown(s, m));
    try {
      if (auto f = probe(s, m)) found.push_back(*f);
    } catch (const JobStopped&) {
      break;
    }
  }
  s.reportProgress(16, 16, "");
  return found;
}

std::string OutcomeText(const ModuleOutcome& o) {
  using K = ModuleOutcome::Kind;
  const std::string why = o.problem.empty() ? "" : ": " + o.problem;
  switch (o.kind) {
    case K::Saved: return "saved " + ModuleFileName(o.module);
    case K::NoAnswer: return "no answer";
    case K::ReadFailed: return "read failed" + why;
    case K::SaveFailed: return "not saved" + why;
    case K::VerifyOk: return "Verify OK";
    case K::Differences:
      return std::to_string(o.differences) + (o.differences == 1 ? " difference" : " differences");
    case K::VerifyFailed: return "Verification Stopped" + why;
    case K::FileBad: return "invalid file " + ModuleFileName(o.module);
    case K::Stopped: return "stopped";
  }
  return {};
}

void ResetDocument(Session& s, int numberBase) {
  s.model = ConfigModel();
  s.general = GeneralSettings();
  s.ec = EventControlState();
  s.report.ClearVerificationReport();
  s.clearPinMarks();
  s.model.NumberBase = static_cast<uint8_t>(numberBase);
}

std::vector<ModuleOutcome> BackUpModules(Session& s, const std::vector<int>& modules, const std::string& dir,
                                         const ModuleOutcomeSink& each) {
  std::vector<ModuleIndexEntry> index;
  const std::string date = today();
  auto outcomes = eachModule(s, modules, dir, each, [&](ModuleOutcome& o) {
    if (!RunReadAll(s)) {
      o.kind = ModuleOutcome::Kind::ReadFailed;
      o.problem = s.link.lastProblem();
      return true;
    }
    std::string why;
    const std::string text =
        WriteConfigText(s.model, s.general, ConfigFileMode::Full, EnableMapsForFile(s.ec));
    if (!SaveFileBytes(o.path, text, &why)) {
      o.kind = ModuleOutcome::Kind::SaveFailed;
      o.problem = why;
      return false;
    }
    o.kind = ModuleOutcome::Kind::Saved;
    index.push_back({o.module, s.general.IDString, s.general.VersionText, date});
    return true;
  });
  std::string why;
  if (!index.empty() && !SaveFileBytes(dir + "/" + kModuleIndexName, WriteModuleIndexText(index), &why))
    s.prompter().message("Can not save " + dir + "/" + kModuleIndexName + ": " + why, Icon::Exclamation);
  return outcomes;
}

std::vector<ModuleOutcome> VerifyModules(Session& s, const std::vector<int>& modules, const std::string& dir,
                                         const ModuleOutcomeSink& each) {
  return eachModule(s, modules, dir, each, [&](ModuleOutcome& o) {
    std::optional<EnableMapBytes> maps;
    if (LoadConfigFile(o.path, s.model, s.general, s.prompter(), &maps) != ConfigLoadStatus::Loaded) {
      o.kind = ModuleOutcome::Kind::FileBad;
      return true;
    }
    SetEnableMaps(s.ec, maps);
    if (!maps) {
      s.ec.EnableMapsKnown = false;
      s.prompter().message(kEnableMapsNotCompared, Icon::Warning);
    }
    const bool ok = RunVerifyAll(s);
    o.report = s.report.text();
    o.differences = s.report.differences();
    const std::string tail = "Verify OK";
    const std::string& t = o.report;
    if (ok && t.size() >= tail.size() && t.compare(t.size() - tail.size(), tail.size(), tail) == 0) {
      o.kind = ModuleOutcome::Kind::VerifyOk;
    } else if (o.differences > 0) {
      o.kind = ModuleOutcome::Kind::Differences;
    } else {
      o.kind = ModuleOutcome::Kind::VerifyFailed;
      o.problem = s.link.lastProblem();
    }
    return true;
  });
}

std::vector<ModuleIndexEntry> ModulesInFolder(const std::string& dir) {
  std::vector<ModuleIndexEntry> indexed;
  if (auto text = ReadFileBytes(dir + "/" + kModuleIndexName)) {
    if (auto entries = ReadModuleIndexText(*text)) indexed = *entries;
  }
  std::vector<ModuleIndexEntry> out;
  for (int m = 0; m <= 15; ++m) {
    if (!ReadFileBytes(dir + "/" + ModuleFileName(m))) continue;
    ModuleIndexEntry e{m, {}, {}, {}};
    for (const ModuleIndexEntry& i : indexed) {
      if (i.module == m) e = i;
    }
    out.push_back(e);
  }
  return out;
}

}  // namespace vorn
