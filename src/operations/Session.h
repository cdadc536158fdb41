#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/Link.h"
#include "model/ConfigDiff.h"
#include "model/ConfigModel.h"
#include "model/GeneralSettings.h"
#include "operations/EditHistory.h"
#include "operations/EventEditor.h"
#include "operations/VerificationReport.h"

namespace vorn {

// Progress of a long job: done of total steps, with a short text ("pin 12 of 32").
struct Progress {
  int done = 0;
  int total = 0;
  std::string text;
};

// Thrown at the start of an exchange when the running job was asked to stop: the job ends
// between two exchanges. Job bodies catch it where they have something to put right.
struct JobStopped {};

// One session's state: what the window owns (and vornctl, and a test). Device routines
// are free functions taking a Session&; the hooks let a front end redraw after a job.
class Session {
 public:
  Session(SerialPort& port, Clock& clock, Prompter& prompter);
  Session(const Session&) = delete;  // the link's hooks point back at this session
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

  // The link's: silent while the link is quiet.
  Prompter& prompter() { return link.prompter(); }

  // One line for the front end's status bar: what the user's last action did.
  std::function<void(const std::string&)> onStatus;
  void status(const std::string& text) {
    if (onStatus) onStatus(text);
  }

  // Front-end hooks; any may be left empty.
  std::function<void(bool)> onBusyChanged;
  std::function<void(const Progress&)> onProgress;
  std::function<void()> onDisplayRefresh;       // addresses, pin and aspect display, program list
  std::function<void()> onPinConfigRefresh;     // pin configuration display
  std::function<void()> onGeneralChanged;       // general tab redraw
  std::function<void()> onShowReport;           // show the verification report (modal)
  std::function<void()> onEventControlRefresh;  // event-control editor redraw
  std::function<void(int)> onIDStringRefused;   // mark the ID String box at this character (from 1)

  // ---- Device work asked for by a front end -----------------------------------------------
  // `work` gets the session that talks to the Vorn and touches nothing else; `done` follows on
  // the front end's own thread once the results are back. A live command (`live`) neither
  // holds the user's input nor brings the configuration back. Without onDeviceWork (vornctl,
  // a tab tested on its own) both run here and now.
  // A live command still queued is replaced by a newer one of the same `coalesce` key (a
  // slider sends only where it is now). `what` names the work ("ID String"): a read that
  // changes the configuration becomes the step "Read ID String" of the edit history.
  using DeviceWork = std::function<void(Session&)>;
  std::function<void(DeviceWork work, std::function<void()> done, bool live, const std::string& coalesce,
                     const std::string& what)>
      onDeviceWork;
  void device(DeviceWork work, std::function<void()> done = {}, const std::string& what = {}) {
    run(std::move(work), std::move(done), false, {}, what);
  }
  void live(DeviceWork work, std::function<void()> done = {}, const std::string& coalesce = {}) {
    run(std::move(work), std::move(done), true, coalesce, {});
  }

  // Takes over what a user edits and what goes with it (model, general settings, event
  // control, report, verification marks, the device as last known) from another session of
  // the same front end: the window's copy and the one its device thread works on.
  // The history stays: it belongs to the front end's own session only.
  void copyDocumentFrom(const Session& other);

  // ---- Edits and their history -----------------------------------------------------------
  // The one door for changes to the document: whoever changed it (an editor, a file load, a
  // read from the Vorn) says what it did, once per box visit or action. When the document
  // really differs from the last state recorded, the history gets a step of that name and
  // onEdited tells the front end (overview, modified marker, undo menu); otherwise nothing.
  void edited(const std::string& what);
  std::function<void(const std::string&)> onEdited;
  EditHistory history;
  EditedDocument document() const;
  // Puts `doc` into model, general settings and enable maps (the live levels stay).
  void restoreDocument(const EditedDocument& doc);
  // Undo / redo one step: restores the state and goes to the pin and aspect of the step.
  // A change nobody announced is first kept as a step of its own, so nothing is lost.
  // Returns the step taken back or done again (null when there was none).
  const EditHistory::Step* undo();
  const EditHistory::Step* redo();

  // ---- The device as last known ----------------------------------------------------------
  // The configuration as the Vorn held it after the last Read All, Write All, Write Changes or
  // clean "Verify OK". It belongs to the port pick, module address and extended address it was
  // taken under, and any storing write outside Write All / Write Changes makes it unreliable:
  // either forgets it. nullptr when there is none.
  const VornConfiguration* deviceAsLastKnown();
  VornConfiguration current() const;
  void rememberDevice();  // current() is what the Vorn now holds
  void forgetDevice();
  // Differences from the device as last known to the current configuration (empty without one).
  std::vector<ConfigChange> changesToDevice();
  // While set, storing writes do not forget the device as last known (Write All, Write Changes).
  bool trackedWrites = false;
  std::function<void()> onDeviceKnownChanged;

  // ---- Verification marks per pin ---------------------------------------------------------
  // Set by the verifications: Ok for a pin that compared equal, Differs (with its report
  // lines) for one that did not; None for a pin the last verification did not reach.
  enum class PinMark : uint8_t { None, Ok, Differs };
  std::array<PinMark, kPinsInUse> pinMarks{};
  std::array<std::string, kPinsInUse> pinFindings;
  void clearPinMarks() {
    pinMarks.fill(PinMark::None);
    for (auto& f : pinFindings) f.clear();
  }
  void markPin(int pin, const std::string& findings) {
    if (pin < 0 || pin >= kPinsInUse) return;
    auto& f = pinFindings[static_cast<size_t>(pin)];
    f += findings;
    pinMarks[static_cast<size_t>(pin)] = f.empty() ? PinMark::Ok : PinMark::Differs;
  }

  void reportProgress(int done, int total, const std::string& text) {
    last_ = Progress{done, total, text};
    if (onProgress) onProgress(last_);
  }
  // What of the pin being written has gone out in full ("aspect 2 slot 3"; "" at its start):
  // a job stopped inside a pin names it.
  std::string pinPartWritten;

  // The last progress reported (a stopped job tells from it how far it got).
  const Progress& lastProgress() const { return last_; }

  // Stop. A front end asks the running job to end (the Stop button, Escape, SIGINT in
  // vornctl; requestStop() is safe in a signal handler and from another thread). Job bodies
  // call stopHere() at their own stop points (before each pin, between settings groups) and
  // end when it returns true, without a message of their own failure; while a job runs
  // (armStop), the link also checks before every exchange and throws JobStopped, so no new
  // request goes out once the exchange in progress has ended. stopped() then says so until
  // the next job starts (clearStop()).
  void requestStop() { stopAsked_ = true; }
  bool stopHere() {
    if (stopAsked_) stopped_ = true;
    return stopped_;
  }
  bool stopped() const { return stopped_; }
  void clearStop() {
    stopAsked_ = false;
    stopped_ = false;
    last_ = Progress{};
    exchanges_ = 0;
    link.beginJob();
  }
  void armStop(bool on) { stopArmed_ = on; }
  // Exchanges sent since the job started (clearStop), and a hook called before each one (a
  // stop asked there already keeps it from going out).
  int exchanges() const { return exchanges_; }
  std::function<void()> onExchange;
  // How far a stopped job got ("Read All stopped; nothing was changed"): said through the
  // prompter unless a front end takes it.
  std::function<void(const std::string&)> onStopped;
  void sayStopped(const std::string& text) {
    if (onStopped) {
      onStopped(text);
    } else {
      prompter().message(text, Icon::Information);
    }
  }

 private:
  void run(DeviceWork work, std::function<void()> done, bool live, const std::string& coalesce,
           const std::string& what) {
    if (onDeviceWork) {
      onDeviceWork(std::move(work), std::move(done), live, coalesce, what);
      return;
    }
    work(*this);
    if (done) done();
  }
  void setBusy(bool on) {
    busy_ = on;
    if (onBusyChanged) onBusyChanged(on);
  }
  struct LinkIdentity {
    int picks = 0;
    int module = 0;
    bool xaddr = false;
    int ext = 0;
    bool operator==(const LinkIdentity&) const = default;
  };
  LinkIdentity identity() const;

  bool busy_ = false;
  std::optional<VornConfiguration> known_;
  LinkIdentity knownFor_;
  std::atomic<bool> stopAsked_ = false;
  bool stopped_ = false;
  bool stopArmed_ = false;
  int exchanges_ = 0;
  Progress last_;
};

}  // namespace vorn
