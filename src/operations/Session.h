#pragma once

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
      : link(port, clock, prompter), prompter_(prompter) {
    link.shownNumberBase = [this] { return static_cast<int>(model.NumberBase); };
  }
  Session(const Session&) = delete;  // the link's hook points back at this session
  Session& operator=(const Session&) = delete;

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
  std::function<void(int)> onIDStringRefused;   // mark the ID String box at this character (from 1)

  void reportProgress(int done, int total, const std::string& text) {
    if (onProgress) onProgress(Progress{done, total, text});
  }

 private:
  void setBusy(bool on) {
    busy_ = on;
    if (onBusyChanged) onBusyChanged(on);
  }
  Prompter& prompter_;
  bool busy_ = false;
};

}  // namespace vorn
