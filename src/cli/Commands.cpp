#include "cli/Commands.h"

#include <QDir>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>

#include "cli/StderrUi.h"
#include "files/ConfigFile.h"
#include "files/FileAccess.h"
#include "link/Kestro.h"
#include "link/PortList.h"
#include "link/QtSerialPort.h"
#include "model/CodePage1252.h"
#include "model/ConfigDiff.h"
#include "operations/EventControl.h"
#include "operations/General.h"
#include "operations/Jobs.h"
#include "operations/Modules.h"
#include "operations/Session.h"

namespace vorn::cli {

namespace {

// The report as text lines for a terminal (the window's report uses CR LF).
std::string PlainLines(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  if (!out.empty() && out.back() != '\n') out += '\n';
  return out;
}

// The session a SIGINT or SIGTERM asks to stop (between two transactions, as Stop does in
// the window); a second signal ends the program at once.
std::atomic<Session*> g_stoppable{nullptr};

extern "C" void AskStop(int) {
  if (Session* s = g_stoppable.load()) s->requestStop();
}

void CatchStopSignals() {
  struct sigaction sa {};
  sa.sa_handler = AskStop;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

// One session the way the window holds it after starting, on a real serial port.
class DeviceSession {
 public:
  explicit DeviceSession(const CliOptions& o) : o_(o), s_(port_, SystemClock(), ui_) {
    s_.onProgress = [this](const Progress& p) { ui_.progress(p.text); };
    reset();
    g_stoppable = &s_;
    CatchStopSignals();
  }
  ~DeviceSession() { g_stoppable = nullptr; }
  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;

  // Fresh start-up state: what a new window holds before anything is read or loaded.
  void reset() { ResetDocument(s_, o_.numberFrom); }

  bool open() {
    LinkOptions& l = s_.link.opts;
    l.BitRateIndex = o_.baudIndex;
    l.ModuleAddress = o_.module;
    l.CheckXaddress = o_.xaddr >= 0;
    l.ExtAddress = o_.xaddr >= 0 ? o_.xaddr : 0;
    l.CheckVornBD = !o_.oneWay;
    if (!s_.link.openDevice(o_.port)) {
      ui_.message("Can not open " + o_.port + ": " +
                      PortOpenProblem(o_.port, port_.errorText(), PortsShownBy::Vornctl),
                  Icon::Exclamation);
      return false;
    }
    if (o_.kestro && !CheckKestroEnable(s_.link, true, true).checked) {
      ui_.message("Kestro tunnelling could not be enabled", Icon::Exclamation);
      return false;
    }
    return true;
  }

  // Loads a file for write or verify. A file without enable maps leaves the Vorn's maps out
  // of both, and says so.
  bool load(const std::string& path, bool forVerify) {
    std::optional<EnableMapBytes> maps;
    if (LoadConfigFile(path, s_.model, s_.general, ui_, &maps) != ConfigLoadStatus::Loaded) return false;
    SetEnableMaps(s_.ec, maps);
    if (!maps) {
      s_.ec.EnableMapsKnown = false;
      ui_.message(forVerify ? kEnableMapsNotCompared : kNoEnableMapsInFile, Icon::Warning);
    }
    return true;
  }

  // The enable maps go into the file only when they were read.
  bool save(const std::string& path, bool compact) {
    if (compact && CompactHoldsNoPin(s_.model)) ui_.message(kCompactHoldsNoPin, Icon::Warning);
    return SaveConfigFile(path, s_.model, s_.general,
                          compact ? ConfigFileMode::Compact : ConfigFileMode::Full, ui_,
                          EnableMapsForFile(s_.ec));
  }

  template <typename Job>
  // A stop (SIGINT, SIGTERM) ends the job before its next exchange.
  bool run(Job job) {
    s_.link.beginJob();
    s_.armStop(true);
    bool ok = false;
    try {
      ok = job(s_);
    } catch (const JobStopped&) {
      ok = false;
    }
    s_.armStop(false);
    ui_.endProgress();
    return ok;
  }

  Session& session() { return s_; }
  StderrUi& ui() { return ui_; }

 private:
  const CliOptions& o_;
  QtSerialPort port_;
  StderrUi ui_;
  Session s_;
};

bool VerifiedOk(const Session& s, bool jobOk) {
  const std::string& t = s.report.text();
  const std::string tail = "Verify OK";
  return jobOk && t.size() >= tail.size() && t.compare(t.size() - tail.size(), tail.size(), tail) == 0;
}

// Finds the modules, quietly, before the work on them.
std::vector<int> FoundAddresses(DeviceSession& d) {
  std::vector<int> modules;
  d.run([&modules](Session& s) {
    for (const FoundModule& f : FindModules(s)) modules.push_back(f.module);
    return true;
  });
  return modules;
}

int ReadAllModules(const CliOptions& o) {
  auto shown = [&o](int module) { return module + o.numberFrom; };
  if (!QDir().mkpath(QString::fromStdString(o.out))) {
    StderrUi().message("Can not create folder " + o.out, Icon::Exclamation);
    return kExitUsageOrFile;
  }
  DeviceSession d(o);
  if (!d.open()) return kExitDeviceFailed;
  const std::vector<int> modules = FoundAddresses(d);
  if (d.session().stopped()) return kExitDeviceFailed;
  if (modules.empty()) {
    d.ui().message("No module answered on " + o.port, Icon::Exclamation);
    return kExitDeviceFailed;
  }
  using K = ModuleOutcome::Kind;
  int read = 0;
  bool saveFailed = false;
  auto each = [&](const ModuleOutcome& m) {
    d.ui().endProgress();
    if (m.kind == K::Saved) {
      ++read;
      std::printf("module %d: version %s, saved %s\n", shown(m.module), m.found.version.c_str(),
                  m.path.c_str());
    } else if (m.kind == K::SaveFailed) {
      saveFailed = true;
      std::printf("module %d: read, but %s could not be saved\n", shown(m.module), m.path.c_str());
    } else {
      std::printf("module %d: %s\n", shown(m.module),
                  m.kind == K::ReadFailed ? "read failed" : OutcomeText(m).c_str());
    }
    std::fflush(stdout);
  };
  d.run([&](Session& s) { return !BackUpModules(s, modules, o.out, each).empty(); });
  if (saveFailed) return kExitUsageOrFile;
  std::printf("%d of %zu modules read\n", read, modules.size());
  return read == static_cast<int>(modules.size()) && !d.session().stopped() ? kExitOk : kExitDeviceFailed;
}

int VerifyAllModules(const CliOptions& o) {
  auto shown = [&o](int module) { return module + o.numberFrom; };
  std::vector<int> modules;
  for (const ModuleIndexEntry& e : ModulesInFolder(o.in)) modules.push_back(e.module);
  StderrUi ui;
  if (modules.empty()) {
    ui.message("No module-NN.dat files in " + o.in, Icon::Exclamation);
    return kExitUsageOrFile;
  }
  DeviceSession d(o);
  if (!d.open()) return kExitDeviceFailed;
  using K = ModuleOutcome::Kind;
  int ok = 0;
  bool fileBad = false;
  auto each = [&](const ModuleOutcome& m) {
    d.ui().endProgress();
    ok += m.kind == K::VerifyOk ? 1 : 0;
    fileBad = fileBad || m.kind == K::FileBad;
    // The reason of a failed verification went to stderr as it happened.
    const std::string text = m.kind == K::VerifyFailed ? "Verification Stopped"
                             : m.kind == K::FileBad    ? "invalid file " + m.path
                                                       : OutcomeText(m);
    std::printf("module %d: %s\n", shown(m.module), text.c_str());
    std::fflush(stdout);
  };
  d.run([&](Session& s) { return !VerifyModules(s, modules, o.in, each).empty(); });
  if (fileBad) return kExitUsageOrFile;
  std::printf("%d of %zu modules verified OK\n", ok, modules.size());
  return ok == static_cast<int>(modules.size()) && !d.session().stopped() ? kExitOk : kExitDeviceFailed;
}

}  // namespace

int RunPorts() {
  const PortListing listing = ProbePorts();
  for (const PortEntry& e : listing.entries) std::printf("%d %s\n", e.number, e.path.c_str());
  // Ports that are there but do not open are named with their reason: an empty list alone
  // does not tell a missing permission from a missing adapter.
  StderrUi ui;
  bool permission = false;
  for (const PortProbeFailure& f : listing.failures) {
    std::string why = PortOpenProblem(f.path, f.reason, PortsShownBy::Vornctl);
    why = why.substr(0, why.find('\n'));
    permission = permission || why.find("ermission") != std::string::npos;
    ui.message(std::to_string(f.number) + " " + f.path + ": can not open: " + why);
  }
  if (permission) ui.message(kDialoutHint);
  return listing.entries.empty() && !listing.failures.empty() ? kExitDeviceFailed : kExitOk;
}

int RunModules(const CliOptions& o) {
  DeviceSession d(o);
  if (!d.open()) return kExitDeviceFailed;
  std::vector<FoundModule> found;
  d.run([&found](Session& s) {
    found = FindModules(s);
    return true;
  });
  // Address, firmware, identity string: the one free text last, as it may hold spaces.
  for (const FoundModule& f : found) {
    std::printf("%d %s %s\n", f.module + o.numberFrom, f.version.c_str(), Cp1252ToUtf8(f.id).c_str());
  }
  if (found.empty() && !d.session().stopped())
    d.ui().message("No module answered on " + o.port, Icon::Exclamation);
  return found.empty() || d.session().stopped() ? kExitDeviceFailed : kExitOk;
}

int RunConvert(const CliOptions& o) {
  StderrUi ui;
  ConfigModel m;
  GeneralSettings g;
  m.NumberBase = static_cast<uint8_t>(o.numberFrom);
  std::optional<EnableMapBytes> maps;  // kept when the input has them, never made up
  if (LoadConfigFile(o.in, m, g, ui, &maps) != ConfigLoadStatus::Loaded) return kExitUsageOrFile;
  if (o.compact && CompactHoldsNoPin(m)) ui.message(kCompactHoldsNoPin, Icon::Warning);
  if (!SaveConfigFile(o.out, m, g, o.compact ? ConfigFileMode::Compact : ConfigFileMode::Full, ui, maps))
    return kExitUsageOrFile;
  return kExitOk;
}

int RunDiff(const CliOptions& o) {
  StderrUi ui;
  VornConfiguration a;
  VornConfiguration b;
  for (auto [path, c] : {std::pair{&o.files[0], &a}, std::pair{&o.files[1], &b}}) {
    c->model.NumberBase = static_cast<uint8_t>(o.numberFrom);
    std::optional<EnableMapBytes> maps;
    // The reader's message names the file.
    if (LoadConfigFile(*path, c->model, c->general, ui, &maps) != ConfigLoadStatus::Loaded)
      return kExitUsageOrFile;
    // A file without enable maps says nothing about them.
    EventControlState ec;
    SetEnableMaps(ec, maps);
    c->initEnable = ec.CheckInitEE;
    c->enableMapsKnown = maps.has_value();
  }
  const std::vector<ConfigChange> changes = CompareConfigurations(a, b, o.numberFrom);
  for (const ConfigChange& c : changes) std::printf("%s\n", c.text.c_str());
  return changes.empty() ? kExitOk : kExitDeviceFailed;
}

int RunRead(const CliOptions& o) {
  if (o.allModules) return ReadAllModules(o);
  // A whole Vorn takes a while to read: find out first that the file can be written.
  if (const std::string why = SaveProblem(o.out); !why.empty()) {
    StderrUi().message(
        "Can not save " + o.out + ": " + why +
            "\nNothing was read from the Vorn: give --out a file in a folder you can write to.",
        Icon::Exclamation);
    return kExitUsageOrFile;
  }
  DeviceSession d(o);
  if (!d.open()) return kExitDeviceFailed;
  // Nothing is saved from a failed read; one whose only gap is the enable maps is no failure.
  if (!d.run(RunReadAll)) return kExitDeviceFailed;
  return d.save(o.out, o.compact) ? kExitOk : kExitUsageOrFile;
}

int RunWrite(const CliOptions& o) {
  DeviceSession d(o);
  if (!d.load(o.in, false)) return kExitUsageOrFile;
  if (!d.open()) return kExitDeviceFailed;
  return d.run(RunWriteAll) ? kExitOk : kExitDeviceFailed;
}

int RunVerify(const CliOptions& o) {
  if (o.allModules) return VerifyAllModules(o);
  DeviceSession d(o);
  if (!d.load(o.in, true)) return kExitUsageOrFile;
  if (!d.open()) return kExitDeviceFailed;
  const bool ok = d.run(RunVerifyAll);
  std::fputs(PlainLines(d.session().report.text()).c_str(), stdout);
  return VerifiedOk(d.session(), ok) ? kExitOk : kExitDeviceFailed;
}

}  // namespace vorn::cli
