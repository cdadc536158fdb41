#pragma once

#include <string>
#include <string_view>

namespace vorn {

class Session;

// Batch jobs. Each returns whether every step went through (the window ignores it; vornctl
// turns it into its exit status).
bool RunReadAll(Session& s);
bool RunWriteAll(Session& s);
bool RunVerifyAll(Session& s);
bool RunECReadAll(Session& s);
bool RunECWriteAll(Session& s);
bool RunECVerify(Session& s);

// The display refresh after a read job: address tables, then the window's pin displays.
void RefreshAfterRead(Session& s);

// The fifteen job names, in the order the tick matches them.
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

  // Stop (the Stop button, Escape): a running job ends at its next stop point (between two
  // transactions) and says how far it got; a pending job is dropped.
  void stop();

  const std::string& PendingJob() const { return pending_; }
  bool running() const { return running_; }
  // Result of the last job run by tick().
  bool lastResult() const { return lastResult_; }
  // Name of the last job run by tick(), and whether a stop ended it.
  const std::string& lastJob() const { return lastJob_; }
  bool lastStopped() const { return lastStopped_; }

 private:
  bool run(const std::string& name);

  Session& s_;
  std::string pending_;
  bool running_ = false;
  bool lastResult_ = false;
  bool lastStopped_ = false;
  std::string lastJob_;
};

}  // namespace vorn
