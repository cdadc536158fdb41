#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "link/Link.h"
#include "model/ConfigModel.h"
#include "model/GeneralSettings.h"
#include "operations/EventEditor.h"
#include "operations/VerificationReport.h"

namespace vorn {

// Progress of a long job: done of total steps, with a short text ("pin 12 of 32").
struct Progress {
  int done = 0;
  int total = 0;
  std::string text;
};

// One session's state: what the window owns (and vornctl, and a test). Device routines
// are free functions taking a Session&; the hooks let a front end redraw after a job.
class Session {
 public:
  Session(SerialPort& port, Clock& clock, Prompter& prompter)
      : link(port, clock, prompter), prompter_(prompter) {}

  ConfigModel model;
  GeneralSettings general;
  Link link;
  VerificationReport report;
  EventControlState ec;  // event-control editor: CurECPin, shown values, enable maps

  // Busy label ("Working ... Please WAIT"): visible while a job is pending or running.
  bool busyVisible() const { return busy_; }
  void ShowBusy() { setBusy(true); }
  void HideBusy() { setBusy(false); }

  Prompter& prompter() { return prompter_; }

  // Front-end hooks; any may be left empty.
  std::function<void(bool)> onBusyChanged;
  std::function<void(const Progress&)> onProgress;
  std::function<void()> onDisplayRefresh;       // addresses, pin and aspect display, program list
  std::function<void()> onPinConfigRefresh;     // pin configuration display
  std::function<void()> onGeneralChanged;       // general tab redraw
  std::function<void()> onShowReport;           // show the verification report (modal)
  std::function<void()> onEventControlRefresh;  // event-control editor redraw

  void reportProgress(int done, int total, const std::string& text) {
    last_ = Progress{done, total, text};
    if (onProgress) onProgress(last_);
  }
  // The last progress reported (a stopped job tells from it how far it got).
  const Progress& lastProgress() const { return last_; }

  // Stop. A front end asks the running job to end (the Stop button, Escape, SIGINT in
  // vornctl; requestStop() is safe in a signal handler). Job bodies call stopHere() between
  // two transactions (before each pin, between settings groups) and end when it returns
  // true, without a message of their own failure; stopped() then says so until the next
  // job starts (clearStop()). onPoll lets the front end take the Stop click meanwhile.
  void requestStop() { stopAsked_ = true; }
  bool stopHere() {
    if (onPoll) onPoll();
    if (stopAsked_) stopped_ = true;
    return stopped_;
  }
  bool stopped() const { return stopped_; }
  void clearStop() {
    stopAsked_ = false;
    stopped_ = false;
    last_ = Progress{};
  }
  std::function<void()> onPoll;
  // How far a stopped job got ("Read All stopped; nothing was changed"): said through the
  // prompter unless a front end takes it.
  std::function<void(const std::string&)> onStopped;
  void sayStopped(const std::string& text) {
    if (onStopped) {
      onStopped(text);
    } else {
      prompter_.message(text, Icon::Information);
    }
  }

 private:
  void setBusy(bool on) {
    busy_ = on;
    if (onBusyChanged) onBusyChanged(on);
  }
  Prompter& prompter_;
  bool busy_ = false;
  std::atomic<bool> stopAsked_ = false;
  bool stopped_ = false;
  Progress last_;
};

}  // namespace vorn
