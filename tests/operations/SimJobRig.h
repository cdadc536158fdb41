#pragma once

// A session on vornsim over a real pseudo-terminal, with the job runner the window uses.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/QtSerialPort.h"
#include "operations/Jobs.h"
#include "operations/Session.h"

namespace vorn::test {

struct SimJobRig {
  QtSerialPort port;
  RecordingPrompter prompter;
  Session s{port, SystemClock(), prompter};
  JobRunner jobs{s};
  std::unique_ptr<SimProcess> sim;
  std::string shownReport;

  SimJobRig() {
    s.onShowReport = [this] { shownReport = s.report.text(); };
  }
  // Replaces the simulator behind the session by a fresh one and opens it.
  bool attach(std::vector<std::string> args) {
    s.link.closePort();
    sim = std::make_unique<SimProcess>(std::move(args));
    return sim->ok() && s.link.openDevice(sim->path());
  }
  // Runs one job the way a button click and the next tick would; true when it succeeded.
  bool click(const std::string& name) { return jobs.request(name) && jobs.tick() && jobs.lastResult(); }
  bool logHas(const std::string& part) const {
    const auto lines = sim->logLines();
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
  }
};

}  // namespace vorn::test
