#include "operations/Session.h"

namespace vorn {

namespace {

// Requests that change what the Vorn stores: pin program and addresses, configuration to
// flash, event actions, and group 96 (general settings, enable maps, erase).
bool IsStoringWrite(const std::vector<uint8_t>& req) {
  if (req.empty()) return false;
  switch (req[0]) {
    case 'a':
    case 'b':
    case 'c':
    case 'd':
    case 'e':
    case 'f':
    case 96: return true;
    default: return false;
  }
}

}  // namespace

Session::Session(SerialPort& port, Clock& clock, Prompter& prompter) : link(port, clock, prompter) {
  link.shownNumberBase = [this] { return static_cast<int>(model.NumberBase); };
  link.onRequest = [this](const std::vector<uint8_t>& req) {
    if (!known_) return;
    if (!(identity() == knownFor_) || (!trackedWrites && IsStoringWrite(req))) forgetDevice();
  };
  link.beforeExchange = [this] {
    if (onExchange) onExchange();
    if (stopArmed_ && stopHere()) throw JobStopped{};
    ++exchanges_;
  };
}

void Session::copyDocumentFrom(const Session& other) {
  model = other.model;
  general = other.general;
  ec = other.ec;
  report = other.report;
  pinMarks = other.pinMarks;
  pinFindings = other.pinFindings;
  const bool wasKnown = known_.has_value();
  known_ = other.known_;
  knownFor_ = other.knownFor_;
  if (wasKnown != known_.has_value() && onDeviceKnownChanged) onDeviceKnownChanged();
}

EditedDocument Session::document() const {
  EditedDocument d{model.Pins, model.EventOn,  model.EventOff,    model.PalkFlexStart,
                   general,    ec.CheckInitEE, ec.EnableMapsKnown};
  for (PinData& p : d.pins) p.LiveLevel = 0;
  d.general.VersionText.clear();
  return d;
}

void Session::restoreDocument(const EditedDocument& doc) {
  for (size_t p = 0; p < doc.pins.size(); ++p) {
    const uint8_t live = model.Pins[p].LiveLevel;
    model.Pins[p] = doc.pins[p];
    model.Pins[p].LiveLevel = live;
  }
  model.EventOn = doc.eventOn;
  model.EventOff = doc.eventOff;
  model.PalkFlexStart = doc.palkFlexStart;
  const std::string version = general.VersionText;
  general = doc.general;
  general.VersionText = version;
  ec.CheckInitEE = doc.enableMaps;
  ec.EnableMapsKnown = doc.enableMapsKnown;
  model.RecalcAllStarts();
}

void Session::edited(const std::string& what) {
  if (!history.record(what, document(), model.CurPin, model.CurAspect)) return;
  if (onEdited) onEdited(what);
}

const EditHistory::Step* Session::undo() {
  edited("edit");
  const EditHistory::Step* step = history.undo();
  if (!step) return nullptr;
  model.CurPin = static_cast<uint8_t>(step->pin);
  model.CurAspect = static_cast<uint8_t>(step->aspect);
  restoreDocument(history.current());
  return step;
}

const EditHistory::Step* Session::redo() {
  edited("edit");  // (which drops the steps to redo: a new edit wins)
  const EditHistory::Step* step = history.redo();
  if (!step) return nullptr;
  model.CurPin = static_cast<uint8_t>(step->pin);
  model.CurAspect = static_cast<uint8_t>(step->aspect);
  restoreDocument(history.current());
  return step;
}

Session::LinkIdentity Session::identity() const {
  const LinkOptions& o = link.opts;
  return LinkIdentity{link.devicePicks(), o.ModuleAddress, o.CheckXaddress,
                      o.CheckXaddress ? o.ExtAddress : 0};
}

const VornConfiguration* Session::deviceAsLastKnown() {
  if (known_ && !(identity() == knownFor_)) forgetDevice();
  return known_ ? &*known_ : nullptr;
}

VornConfiguration Session::current() const {
  return VornConfiguration{model, general, ec.CheckInitEE, ec.EnableMapsKnown};
}

void Session::rememberDevice() {
  known_ = current();
  knownFor_ = identity();
  if (onDeviceKnownChanged) onDeviceKnownChanged();
}

void Session::forgetDevice() {
  if (!known_) return;
  known_.reset();
  if (onDeviceKnownChanged) onDeviceKnownChanged();
}

std::vector<ConfigChange> Session::changesToDevice() {
  const VornConfiguration* dev = deviceAsLastKnown();
  if (!dev) return {};
  return CompareConfigurations(*dev, current(), model.NumberBase);
}

}  // namespace vorn
