#include "cli/Commands.h"

#include <QDir>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>

#include "cli/ProbeTiming.h"
#include "cli/StderrUi.h"
#include "files/ConfigFile.h"
#include "files/FileAccess.h"
#include "link/Kestro.h"
#include "link/PortList.h"
#include "link/QtSerialPort.h"
#include "model/ConfigDiff.h"
#include "operations/EventControl.h"
#include "operations/General.h"
#include "operations/Jobs.h"
#include "operations/Session.h"

namespace vorn::cli {

namespace {

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string ModuleFile(const std::string& dir, int module) {
  return dir + "/module-" + TwoDigits(module) + ".dat";
}

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
  explicit DeviceSession(const CliOptions& o)
      : o_(o), timing_(SystemClock(), port_), s_(timing_, timing_, ui_) {
    s_.onProgress = [this](const Progress& p) { ui_.progress(p.text); };
    reset();
    g_stoppable = &s_;
    CatchStopSignals();
  }
  ~DeviceSession() { g_stoppable = nullptr; }
  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;

  // Fresh start-up state: what a new window holds before anything is read or loaded.
  void reset() {
    s_.model = ConfigModel();
    s_.general = GeneralSettings();
    s_.ec = EventControlState();
    s_.report.ClearVerificationReport();
    s_.model.NumberBase = static_cast<uint8_t>(o_.numberFrom);
  }

  bool open() {
    LinkOptions& l = s_.link.opts;
    l.BitRateIndex = o_.baudIndex;
    l.ModuleAddress = o_.module;
    l.CheckXaddress = o_.xaddr >= 0;
    l.ExtAddress = o_.xaddr >= 0 ? o_.xaddr : 0;
    l.CheckVornBD = !o_.oneWay;
    if (!s_.link.openDevice(o_.port)) {
      const std::string why = port_.errorText();
      ui_.message("Can not open " + o_.port + (why.empty() ? "" : ": " + why), Icon::Exclamation);
      return false;
    }
    if (o_.kestro && !CheckKestroEnable(s_.link, true, true).checked) {
      ui_.message("Kestro tunnelling could not be enabled", Icon::Exclamation);
      return false;
    }
    return true;
  }

  void setModule(int module) { s_.link.setModuleAddress(module); }

  // One version request with the short probe window and no messages.
  bool probe() {
    ui_.setMuted(true);
    timing_.setFast(true);
    const bool answered = ReadGenVersion(s_);
    timing_.setFast(false);
    ui_.setMuted(false);
    return answered;
  }

  // Loads a file for write or verify. A file without enable maps leaves the Vorn's maps out
  // of both, and says so.
  bool load(const std::string& path) {
    std::optional<EnableMapBytes> maps;
    if (LoadConfigFile(path, s_.model, s_.general, ui_, &maps) != ConfigLoadStatus::Loaded) return false;
    SetEnableMaps(s_.ec, maps);
    if (!maps) {
      s_.ec.EnableMapsKnown = false;
      ui_.message(kNoEnableMapsInFile, Icon::Warning);
    }
    return true;
  }

  // The enable maps go into the file only when they were read.
  bool save(const std::string& path, bool compact) {
    return SaveConfigFile(path, s_.model, s_.general,
                          compact ? ConfigFileMode::Compact : ConfigFileMode::Full, ui_,
                          EnableMapsForFile(s_.ec));
  }

  template <typename Job>
  // A stop (SIGINT, SIGTERM) ends the job before its next exchange.
  bool run(Job job) {
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
  ProbeTiming timing_;
  Session s_;
};

bool VerifiedOk(const Session& s, bool jobOk) {
  const std::string& t = s.report.text();
  const std::string tail = "Verify OK";
  return jobOk && t.size() >= tail.size() && t.compare(t.size() - tail.size(), tail.size(), tail) == 0;
}

int ReadAllModules(const CliOptions& o) {
  if (!QDir().mkpath(QString::fromStdString(o.out))) {
    StderrUi().message("Can not create folder " + o.out, Icon::Exclamation);
    return kExitUsageOrFile;
  }
  DeviceSession d(o);
  if (!d.open()) return kExitDeviceFailed;
  int found = 0;
  int read = 0;
  for (int m = 0; m <= 15 && !d.session().stopHere(); ++m) {
    d.reset();
    d.setModule(m);
    if (!d.probe()) continue;
    ++found;
    d.reset();
    const std::string path = ModuleFile(o.out, m);
    if (!d.run(RunReadAll)) {
      std::printf("module %s: read failed\n", TwoDigits(m).c_str());
    } else if (!d.save(path, false)) {
      std::printf("module %s: read, but %s could not be saved\n", TwoDigits(m).c_str(), path.c_str());
      return kExitUsageOrFile;
    } else {
      ++read;
      std::printf("module %s: version %s, saved %s\n", TwoDigits(m).c_str(),
                  d.session().general.VersionText.c_str(), path.c_str());
    }
    std::fflush(stdout);
  }
  if (d.session().stopped()) return kExitDeviceFailed;
  if (found == 0) d.ui().message("No module answered on " + o.port, Icon::Exclamation);
  return found > 0 && read == found ? kExitOk : kExitDeviceFailed;
}

int VerifyAllModules(const CliOptions& o) {
  std::vector<int> modules;
  for (int m = 0; m <= 15; ++m) {
    if (ReadFileBytes(ModuleFile(o.in, m))) modules.push_back(m);
  }
  StderrUi ui;
  if (modules.empty()) {
    ui.message("No module-NN.dat files in " + o.in, Icon::Exclamation);
    return kExitUsageOrFile;
  }
  DeviceSession d(o);
  if (!d.open()) return kExitDeviceFailed;
  bool allOk = true;
  bool fileBad = false;
  for (int m : modules) {
    if (d.session().stopHere()) return kExitDeviceFailed;
    d.reset();
    d.setModule(m);
    if (!d.probe()) {
      std::printf("module %s: no answer\n", TwoDigits(m).c_str());
      allOk = false;
      continue;
    }
    d.reset();
    if (!d.load(ModuleFile(o.in, m))) {
      std::printf("module %s: invalid file %s\n", TwoDigits(m).c_str(), ModuleFile(o.in, m).c_str());
      fileBad = true;
      continue;
    }
    const bool ok = VerifiedOk(d.session(), d.run(RunVerifyAll));
    allOk = allOk && ok;
    if (ok) {
      std::printf("module %s: Verify OK\n", TwoDigits(m).c_str());
    } else {
      // Lines of the report besides its closing line (and the numbering note).
      int findings = 0;
      const std::string text = PlainLines(d.session().report.text());
      for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = text.find('\n', pos);
        const std::string line = text.substr(pos, end - pos);
        if (line != "Verification Stopped" && line.rfind("Note: ", 0) != 0) ++findings;
        pos = end + 1;
      }
      std::printf("module %s: Verification Stopped, %d report line%s\n", TwoDigits(m).c_str(), findings,
                  findings == 1 ? "" : "s");
    }
    std::fflush(stdout);
  }
  if (fileBad) return kExitUsageOrFile;
  return allOk ? kExitOk : kExitDeviceFailed;
}

}  // namespace

int RunPorts() {
  for (const PortEntry& e : ProbePorts().entries) std::printf("%d %s\n", e.number, e.path.c_str());
  return kExitOk;
}

int RunConvert(const CliOptions& o) {
  StderrUi ui;
  ConfigModel m;
  GeneralSettings g;
  m.NumberBase = static_cast<uint8_t>(o.numberFrom);
  std::optional<EnableMapBytes> maps;  // kept when the input has them, never made up
  if (LoadConfigFile(o.in, m, g, ui, &maps) != ConfigLoadStatus::Loaded) return kExitUsageOrFile;
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
    if (LoadConfigFile(*path, c->model, c->general, ui, &maps) != ConfigLoadStatus::Loaded) {
      // The reader's message does not say which of the two it was.
      std::fprintf(stderr, "vornctl: %s not loaded\n", path->c_str());
      return kExitUsageOrFile;
    }
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
  DeviceSession d(o);
  if (!d.open()) return kExitDeviceFailed;
  // Nothing is saved from a failed read; one whose only gap is the enable maps is no failure.
  if (!d.run(RunReadAll)) return kExitDeviceFailed;
  return d.save(o.out, o.compact) ? kExitOk : kExitUsageOrFile;
}

int RunWrite(const CliOptions& o) {
  DeviceSession d(o);
  if (!d.load(o.in)) return kExitUsageOrFile;
  if (!d.open()) return kExitDeviceFailed;
  return d.run(RunWriteAll) ? kExitOk : kExitDeviceFailed;
}

int RunVerify(const CliOptions& o) {
  if (o.allModules) return VerifyAllModules(o);
  DeviceSession d(o);
  if (!d.load(o.in)) return kExitUsageOrFile;
  if (!d.open()) return kExitDeviceFailed;
  const bool ok = d.run(RunVerifyAll);
  std::fputs(PlainLines(d.session().report.text()).c_str(), stdout);
  return VerifiedOk(d.session(), ok) ? kExitOk : kExitDeviceFailed;
}

}  // namespace vorn::cli
