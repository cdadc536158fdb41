#include "operations/Jobs.h"

#include <array>

#include "operations/EventControl.h"
#include "operations/General.h"
#include "operations/PinTransfer.h"
#include "operations/Session.h"
#include "operations/VerifyGeneral.h"
#include "operations/WriteChanges.h"

namespace vorn {

namespace {

constexpr std::array<std::string_view, 16> kJobNames{
    "ReadAll",     "WriteAll",    "VerifyAll",    "ReadPin",     "WritePin",     "ReadDevice",
    "WriteDevice", "ReadAllPins", "WriteAllPins", "PAspReadPin", "PAspWritePin", "VerifyAllPins",
    "ECWriteAll",  "ECReadAll",   "ECVerify",     "WriteChanges"};

// The captions of the job buttons, for what the front ends say about a job.
constexpr std::array<std::string_view, 16> kJobCaptions{
    "Read All",          "Write All",       "Verify All",           "Read Pin",
    "Write Pin",         "Read Device",     "Write Device",         "Read All Devices",
    "Write All Devices", "Read Asp's",      "Write Asp's",          "Verify All Pins",
    "Write All Events",  "Read All Events", "Verify Event Control", "Write Changes"};

void call(const std::function<void()>& hook) {
  if (hook) hook();
}

using Step = bool (*)(Session&);

// Runs one routine; a stop asked while it runs ends it between two of its exchanges.
template <class F>
bool guarded(F&& f) {
  try {
    return f();
  } catch (const JobStopped&) {
    return false;
  }
}

// Runs the steps in order; ends at the first that fails or at a stop.
bool runSteps(Session& s, std::initializer_list<Step> steps) {
  for (Step f : steps) {
    if (s.stopHere() || !guarded([&] { return f(s); })) return false;
  }
  return true;
}

std::string pinsDone(int n) { return n == 1 ? "pin 1" : "pins 1 to " + std::to_string(n); }

// Pins a stopped pin loop got through: it stops before the pin its progress names.
int pinsBeforeStop(const Session& s) { return s.lastProgress().total > 0 ? s.lastProgress().done : 0; }

void sayStopped(Session& s, const std::string& text) { s.sayStopped(text); }

// The device pin of the current pin, or -1 when its pointer leads outside the pins.
int devicePinOf(const Session& s, int pin) {
  const int d = pin + s.model.pin(pin).DevicePointer;
  return d >= 0 && d < kPinsInUse ? d : -1;
}

// What a read job ends with, whatever it read: the displays show the model as it now is.
void endReadJob(Session& s) {
  RefreshAfterRead(s);
  s.HideBusy();
  call(s.onPinConfigRefresh);
}

bool readAddressesQuietly(Session& s) {
  // The flexible-addressing box must not ask the user while the device fills it in.
  s.model.QuietUpdate = true;
  const bool ok = guarded([&] { return ReadGenAddr(s); });
  s.model.QuietUpdate = false;
  return ok;
}

// Maps that are not known are left as they are on the Vorn.
bool writeKnownEnableMaps(Session& s) { return !s.ec.EnableMapsKnown || WriteEnableMaps(s); }

bool runWriteDevice(Session& s) {
  const int device = devicePinOf(s, s.model.CurPin);
  bool ok = device >= 0;
  for (int p = 0; ok && p < kPinsInUse; ++p) {
    if (p + s.model.pin(p).DevicePointer == device) ok = guarded([&] { return WritePin(s, p); });
  }
  s.HideBusy();
  return ok;
}

bool runVerifyAllPins(Session& s) {
  s.report.ClearVerificationReport();
  s.clearPinMarks();
  const bool ok = guarded([&] { return VerifyPins(s); });
  if (ok) s.report.AppendVerificationText("Verify OK");
  if (s.stopped()) s.report.AppendVerificationText("Verification Stopped");
  s.HideBusy();
  call(s.onShowReport);
  return ok;
}

// Every line is a heading or the numbering note.
bool IsCleanReport(const std::string& text) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.rfind("Start ", 0) != 0 && line.rfind("Note: ", 0) != 0) return false;
    pos = end + 1;
  }
  return true;
}

}  // namespace

bool IsJobName(std::string_view name) {
  for (std::string_view n : kJobNames) {
    if (n == name) return true;
  }
  return false;
}

std::string JobCaption(std::string_view name) {
  for (size_t i = 0; i < kJobNames.size(); ++i) {
    if (kJobNames[i] == name) return std::string(kJobCaptions[i]);
  }
  return std::string(name);
}

void RefreshAfterRead(Session& s) {
  s.model.RecalcAllStarts();
  call(s.onDisplayRefresh);
}

bool RunReadAll(Session& s) {
  // A stopped read puts everything back as it was before it started.
  const ConfigModel model = s.model;
  const GeneralSettings general = s.general;
  const EventControlState ec = s.ec;
  s.reportProgress(0, 0, "Reading the general settings");
  bool ok = runSteps(s, {ReadGenVersion, ReadGenID, ReadGenDCC, readAddressesQuietly, ReadLC, ReadGenHWC,
                         ReadGenSerial, ReadAllPins, ReadEventActions});
  // The enable maps cannot spoil a read: when they do not come, everything else still counts
  // and the maps are marked unknown, so nothing passes the old boxes off as the Vorn's.
  if (ok && !s.stopHere()) {
    s.reportProgress(0, 0, "Reading the enable maps");
    s.ec.EnableMapsKnown = false;
    guarded([&] { return ReadEnableMaps(s); });
    if (!s.ec.EnableMapsKnown && !s.stopped()) s.prompter().message(kEnableMapsNotRead, Icon::Warning);
  }
  if (s.stopped()) {
    ok = false;
    s.model = model;
    s.general = general;
    s.ec = ec;
    call(s.onEventControlRefresh);
  }
  if (ok && !s.stopped()) s.rememberDevice();
  call(s.onGeneralChanged);
  endReadJob(s);
  if (s.stopped()) sayStopped(s, "Read All stopped; nothing was changed");
  return ok;
}

namespace {

std::string WriteAllStoppedText(int stage, int pins, const std::string& partOfNext) {
  if (stage == 0) return "Write All stopped: nothing was written";
  const std::string general = "the general settings except the addresses";
  if (stage == 1 && !partOfNext.empty()) {
    const std::string pin = std::to_string(pins + 1);
    return "Write All stopped in pin " + pin + " of 32 after its " + partOfNext + ": " + general +
           (pins > 0 ? ", " + pinsDone(pins) : std::string()) + " and part of pin " + pin + " were written";
  }
  if (stage == 1 && pins == 0)
    return "Write All stopped after the general settings: " + general + " were written";
  if (stage == 1) {
    return "Write All stopped after pin " + std::to_string(pins) + " of 32: " + general + " and " +
           pinsDone(pins) + " were written";
  }
  const std::string head =
      stage == 2 ? "Write All stopped in the event control: " : "Write All stopped before the addresses: ";
  const std::string ec = stage == 2 ? "part of the event control" : "the event control";
  return head + general + ", " + pinsDone(pins) + " and " + ec + " were written";
}

}  // namespace

bool RunWriteAll(Session& s) {
  // The address settings go last: everything before goes to the Vorn at its present address.
  s.trackedWrites = true;
  s.pinPartWritten.clear();
  int stage = 0;  // parts written in full: 1 general settings, 2 pins, 3 event control
  s.reportProgress(0, 0, "Writing the general settings");
  bool ok = runSteps(s, {WriteGenID, WriteGenDCC, WriteLC, WriteGenHWC, WriteGenSerial});
  if (ok) stage = 1;
  ok = ok && runSteps(s, {WriteAllPins});
  const int pins = ok ? kPinsInUse : pinsBeforeStop(s);
  if (ok) stage = 2;
  ok = ok && runSteps(s, {WriteEventActions, writeKnownEnableMaps});
  if (ok) stage = 3;
  if (ok) s.reportProgress(0, 0, "Writing the addresses");
  ok = ok && runSteps(s, {WriteGenAddr});
  s.trackedWrites = false;
  // A write that stopped half-way only brought the Vorn closer to the model: the copy from
  // before still names every difference.
  if (ok) s.rememberDevice();
  s.HideBusy();
  if (s.stopped()) sayStopped(s, WriteAllStoppedText(stage, pins, s.pinPartWritten));
  return ok;
}

bool RunVerifyAll(Session& s) {
  s.report.ClearVerificationReport();
  s.clearPinMarks();
  s.reportProgress(0, 0, "Verifying the general settings");
  const bool ok = runSteps(s, {VerifyGeneralSettings, VerifyEventControl, VerifyPins});
  // "Verify OK" lets a differing extended address or group mask pass: only a report without
  // findings says what the Vorn holds.
  if (ok && IsCleanReport(s.report.text())) s.rememberDevice();
  s.report.AppendVerificationText(ok ? "Verify OK" : "Verification Stopped");
  s.HideBusy();
  call(s.onShowReport);
  return ok;
}

bool RunECReadAll(Session& s) {
  const bool ok = guarded([&] { return ReadEventActions(s); });
  s.HideBusy();
  return ok;
}

bool RunECWriteAll(Session& s) {
  const bool ok = guarded([&] { return WriteEventActions(s); });
  s.HideBusy();
  return ok;
}

bool RunECVerify(Session& s) {
  s.report.ClearVerificationReport();
  s.clearPinMarks();
  const bool ok = guarded([&] { return VerifyEventControl(s); });
  if (ok) s.report.AddVerificationLine("Verify OK");
  if (s.stopped()) s.report.AppendVerificationText("Verification Stopped");
  s.HideBusy();
  call(s.onShowReport);
  return ok;
}

bool JobRunner::request(const std::string& name) {
  if (!IsJobName(name)) return false;
  // Every job talks to the Vorn: without a port it says so before anything else.
  if (!s_.link.isOpen()) {
    s_.prompter().message(kSelectPort, Icon::None);
    return false;
  }
  if (name == "WriteDevice") {
    const int device = devicePinOf(s_, s_.model.CurPin);
    if (device < 0 || s_.model.pin(device).DevicePointer != 0) {
      s_.prompter().message("Referral is not a device", Icon::Exclamation);
      return false;
    }
  }
  s_.ShowBusy();
  pending_ = name;
  return true;
}

void JobRunner::stop() {
  if (running_) {
    s_.requestStop();
    if (onStopElsewhere) onStopElsewhere();
  } else if (!pending_.empty()) {
    pending_.clear();
    s_.HideBusy();
  }
}

bool JobRunner::tick() {
  if (running_) return false;
  const std::string name = takePending();
  if (!IsJobName(name)) return false;
  runJob(name);
  return true;
}

void JobRunner::runJob(const std::string& name) {
  // The three batch jobs say themselves how far they got (vornctl runs them too).
  const bool saysItself = name == "ReadAll" || name == "WriteAll" || name == "WriteChanges" ||
                          name.find("Verify") != std::string::npos;
  runBody(
      name, [this, &name](Session&) { return run(name); }, saysItself);
}

void JobRunner::runJob(const std::string& name, const std::function<bool(Session&)>& body) {
  runBody(name, body, true);
}

void JobRunner::runBody(const std::string& name, const std::function<bool(Session&)>& body, bool saysItself) {
  struct Running {
    bool& flag;
    explicit Running(bool& f) : flag(f) { flag = true; }
    ~Running() { flag = false; }
  } guard(running_);
  s_.clearStop();
  lastJob_ = name;
  s_.armStop(true);
  lastResult_ = guarded([&] { return body(s_); });
  s_.armStop(false);
  lastStopped_ = s_.stopped();
  if (lastStopped_ && !saysItself) {
    std::string text = JobCaption(name) + " stopped";
    const int pins = pinsBeforeStop(s_);
    if (s_.lastProgress().total > 0) text += " after pin " + std::to_string(pins) + " of 32";
    sayStopped(s_, text);
  }
  // A button pressed while the job ran (inside its modal report, say) is still pending:
  // the job's own end hid the label, so show it again.
  if (!pending_.empty()) s_.ShowBusy();
}

bool JobRunner::run(const std::string& name) {
  Session& s = s_;
  const int cur = s.model.CurPin;
  if (name == "ReadAll") return RunReadAll(s);
  if (name == "WriteAll") return RunWriteAll(s);
  if (name == "VerifyAll") return RunVerifyAll(s);
  if (name == "ReadPin") {
    const bool ok = guarded([&] { return ReadPin(s, cur); });
    endReadJob(s);
    return ok;
  }
  if (name == "WritePin") {
    const bool ok = guarded([&] { return WritePin(s, cur); });
    s.HideBusy();
    return ok;
  }
  if (name == "ReadDevice") {
    const bool ok = guarded([&] { return ReadDevice(s, cur); });
    endReadJob(s);
    return ok;
  }
  if (name == "WriteDevice") return runWriteDevice(s);
  if (name == "ReadAllPins") {
    const bool ok = guarded([&] { return ReadAllPins(s); });
    endReadJob(s);
    return ok;
  }
  if (name == "WriteAllPins") {
    const bool ok = guarded([&] { return WriteAllPins(s); });
    s.HideBusy();
    return ok;
  }
  if (name == "PAspReadPin") {
    const bool ok = guarded([&] { return ReadPinProgram(s, cur); });
    if (ok) call(s.onDisplayRefresh);
    s.HideBusy();
    return ok;
  }
  if (name == "PAspWritePin") {
    const bool ok = guarded([&] { return WritePinProgram(s, cur); });
    s.HideBusy();
    return ok;
  }
  if (name == "VerifyAllPins") return runVerifyAllPins(s);
  if (name == "ECWriteAll") return RunECWriteAll(s);
  if (name == "ECReadAll") return RunECReadAll(s);
  if (name == "ECVerify") return RunECVerify(s);
  if (name == "WriteChanges") return RunWriteChanges(s);
  return false;
}

}  // namespace vorn
