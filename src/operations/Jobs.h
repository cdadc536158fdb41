#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace vorn {

class Session;

inline constexpr const char* kEnableMapsNotRead =
    "The Vorn did not give its enable maps: everything else was read; the maps are left out "
    "of saved files, Write All and Verify All until they are read or set";

// Batch jobs. Each returns whether every step went through (the window ignores it; vornctl
// turns it into its exit status). Read All succeeds also when only the enable maps could not
// be read: it then says kEnableMapsNotRead and marks the maps unknown.
bool RunReadAll(Session& s);
bool RunWriteAll(Session& s);
bool RunVerifyAll(Session& s);
bool RunECReadAll(Session& s);
bool RunECWriteAll(Session& s);
bool RunECVerify(Session& s);

// The display refresh after a read job: address tables, then the window's pin displays.
void RefreshAfterRead(Session& s);

// The job names (the fifteen of the buttons, then "WriteChanges"), in the order the tick matches them.
bool IsJobName(std::string_view name);
// The caption of a job's button ("ReadAllPins" -> "Read All Devices").
std::string JobCaption(std::string_view name);

// The one-entry job slot and the tick that runs it. The owner of the session drives tick():
// the window from a 200 ms timer, vornctl in a loop, tests directly.
class JobRunner {
 public:
  explicit JobRunner(Session& s) : s_(s) {}

  // A job button: applies the button's guard ("Select communications port", "Referral is not
  // a device"); if it passes, shows the busy label and stores the name (the last click
  // before a tick wins). Returns false when a guard refused or the name is not a job.
  bool request(const std::string& name);

  // Takes the pending name and runs its job to the end. A tick while a job runs (a timer
  // firing inside a modal report, say) does nothing. Returns whether a job ran.
  bool tick();
  // Runs the named job now, to its end (what tick() does with the pending name).
  void runJob(const std::string& name);
  // Runs a job of the front end's own (Find Modules, Back Up All) the same way: stop points
  // armed, outcome kept under `name`. It says itself how a stop left things.
  void runJob(const std::string& name, const std::function<bool(Session&)>& body);

  // Stop (the Stop button, Escape): a running job ends at its next stop point (between two
  // transactions) and says how far it got; a pending job is dropped.
  void stop();

  // A front end whose jobs run on a session of another thread (the window's device thread)
  // keeps its own runner for the buttons: it takes the pending name to hand over, marks the
  // job running while it runs there, and takes over how it ended. stop() then also calls
  // onStopElsewhere.
  std::string takePending() { return std::exchange(pending_, std::string()); }
  void setRunningElsewhere(bool on) { running_ = on; }
  void takeOutcome(const JobRunner& ran) {
    lastResult_ = ran.lastResult_;
    lastStopped_ = ran.lastStopped_;
    lastJob_ = ran.lastJob_;
  }
  std::function<void()> onStopElsewhere;

  const std::string& PendingJob() const { return pending_; }
  bool running() const { return running_; }
  // Result of the last job run by tick().
  bool lastResult() const { return lastResult_; }
  // Name of the last job run by tick(), and whether a stop ended it.
  const std::string& lastJob() const { return lastJob_; }
  bool lastStopped() const { return lastStopped_; }

 private:
  bool run(const std::string& name);
  void runBody(const std::string& name, const std::function<bool(Session&)>& body, bool saysItself);

  Session& s_;
  std::string pending_;
  bool running_ = false;
  bool lastResult_ = false;
  bool lastStopped_ = false;
  std::string lastJob_;
};

}  // namespace vorn
