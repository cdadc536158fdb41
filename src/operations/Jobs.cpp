#include "operations/Jobs.h"

#include <array>

#include "operations/EventControl.h"
#include "operations/General.h"
#include "operations/PinTransfer.h"
#include "operations/Session.h"
#include "operations/VerifyGeneral.h"

namespace vorn {

namespace {

constexpr std::array<std::string_view, 15> kJobNames{
    "ReadAll",      "WriteAll",      "VerifyAll",   "ReadPin",      "WritePin",
    "ReadDevice",   "WriteDevice",   "ReadAllPins", "WriteAllPins", "PAspReadPin",
    "PAspWritePin", "VerifyAllPins", "ECWriteAll",  "ECReadAll",    "ECVerify"};

bool needsOpenPort(std::string_view name) {
  return name == "VerifyAll" || name == "VerifyAllPins" || name == "ECVerify";
}

void call(const std::function<void()>& hook) {
  if (hook) hook();
}

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
  const bool ok = ReadGenAddr(s);
  s.model.QuietUpdate = false;
  return ok;
}

bool runWriteDevice(Session& s) {
  const int device = devicePinOf(s, s.model.CurPin);
  bool ok = device >= 0;
  for (int p = 0; ok && p < kPinsInUse; ++p) {
    if (p + s.model.pin(p).DevicePointer == device) ok = WritePin(s, p);
  }
  s.HideBusy();
  return ok;
}

bool runVerifyAllPins(Session& s) {
  s.report.ClearVerificationReport();
  const bool ok = VerifyPins(s);
  if (ok) s.report.AppendVerificationText("Verify OK");
  s.HideBusy();
  call(s.onShowReport);
  return ok;
}

}  // namespace

bool IsJobName(std::string_view name) {
  for (std::string_view n : kJobNames) {
    if (n == name) return true;
  }
  return false;
}

void RefreshAfterRead(Session& s) {
  s.model.RecalcAllStarts();
  call(s.onDisplayRefresh);
}

bool RunReadAll(Session& s) {
  const bool ok = ReadGenVersion(s) && ReadGenID(s) && ReadGenDCC(s) && readAddressesQuietly(s) &&
                  ReadLC(s) && ReadGenHWC(s) && ReadGenSerial(s) && ReadAllPins(s) && ReadEventActions(s);
  // The enable maps cannot spoil a read: when they do not come, everything else still counts
  // and the maps are marked unknown, so nothing passes the old boxes off as the Vorn's.
  if (ok) {
    s.ec.EnableMapsKnown = false;
    ReadEnableMaps(s);
    if (!s.ec.EnableMapsKnown) s.prompter().message(kEnableMapsNotRead, Icon::Warning);
  }
  call(s.onGeneralChanged);
  endReadJob(s);
  return ok;
}

bool RunWriteAll(Session& s) {
  // The address settings go last: everything before goes to the Vorn at its present address.
  // Maps that are not known are left as they are on the Vorn.
  const bool ok = WriteGenID(s) && WriteGenDCC(s) && WriteLC(s) && WriteGenHWC(s) && WriteGenSerial(s) &&
                  WriteAllPins(s) && WriteEventActions(s) && (!s.ec.EnableMapsKnown || WriteEnableMaps(s)) &&
                  WriteGenAddr(s);
  s.HideBusy();
  return ok;
}

bool RunVerifyAll(Session& s) {
  s.report.ClearVerificationReport();
  const bool ok = VerifyGeneralSettings(s) && VerifyEventControl(s) && VerifyPins(s);
  s.report.AppendVerificationText(ok ? "Verify OK" : "Verification Stopped");
  s.HideBusy();
  call(s.onShowReport);
  return ok;
}

bool RunECReadAll(Session& s) {
  const bool ok = ReadEventActions(s);
  s.HideBusy();
  return ok;
}

bool RunECWriteAll(Session& s) {
  const bool ok = WriteEventActions(s);
  s.HideBusy();
  return ok;
}

bool RunECVerify(Session& s) {
  s.report.ClearVerificationReport();
  const bool ok = VerifyEventControl(s);
  if (ok) s.report.AddVerificationLine("Verify OK");
  s.HideBusy();
  call(s.onShowReport);
  return ok;
}

bool JobRunner::request(const std::string& name) {
  if (!IsJobName(name)) return false;
  if (needsOpenPort(name) && !s_.link.isOpen()) {
    s_.prompter().message("Select communications port", Icon::None);
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

bool JobRunner::tick() {
  if (running_) return false;
  const std::string name = std::move(pending_);
  pending_.clear();
  if (!IsJobName(name)) return false;
  struct Running {
    bool& flag;
    explicit Running(bool& f) : flag(f) { flag = true; }
    ~Running() { flag = false; }
  } guard(running_);
  lastResult_ = run(name);
  // A button pressed while the job ran (inside its modal report, say) is still pending:
  // the job's own end hid the label, so show it again.
  if (!pending_.empty()) s_.ShowBusy();
  return true;
}

bool JobRunner::run(const std::string& name) {
  Session& s = s_;
  const int cur = s.model.CurPin;
  if (name == "ReadAll") return RunReadAll(s);
  if (name == "WriteAll") return RunWriteAll(s);
  if (name == "VerifyAll") return RunVerifyAll(s);
  if (name == "ReadPin") {
    const bool ok = ReadPin(s, cur);
    endReadJob(s);
    return ok;
  }
  if (name == "WritePin") {
    const bool ok = WritePin(s, cur);
    s.HideBusy();
    return ok;
  }
  if (name == "ReadDevice") {
    const bool ok = ReadDevice(s, cur);
    endReadJob(s);
    return ok;
  }
  if (name == "WriteDevice") return runWriteDevice(s);
  if (name == "ReadAllPins") {
    const bool ok = ReadAllPins(s);
    endReadJob(s);
    return ok;
  }
  if (name == "WriteAllPins") {
    const bool ok = WriteAllPins(s);
    s.HideBusy();
    return ok;
  }
  if (name == "PAspReadPin") {
    const bool ok = ReadPinProgram(s, cur);
    if (ok) call(s.onDisplayRefresh);
    s.HideBusy();
    return ok;
  }
  if (name == "PAspWritePin") {
    const bool ok = WritePinProgram(s, cur);
    s.HideBusy();
    return ok;
  }
  if (name == "VerifyAllPins") return runVerifyAllPins(s);
  if (name == "ECWriteAll") return RunECWriteAll(s);
  if (name == "ECReadAll") return RunECReadAll(s);
  if (name == "ECVerify") return RunECVerify(s);
  return false;
}

}  // namespace vorn
