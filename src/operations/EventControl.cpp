#include "operations/EventControl.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "operations/Session.h"

namespace vorn {

namespace {

constexpr int kOneWayPauseMs = 100;
constexpr uint8_t kCmdEventOnRead = 't';
constexpr uint8_t kCmdEventOnWrite = 'd';
constexpr int kMaxDeviceAction = 14;  // 15 in the low nibble means "none"

using Bytes = std::vector<uint8_t>;

uint8_t u8(int v) { return static_cast<uint8_t>(v); }

bool readRequest(Session& s, const Bytes& req) { return s.link.Transact(true, req) && s.link.ReplyOk; }

bool replyIs(Session& s, int count, uint8_t b2, uint8_t b3) {
  return s.link.replyCount() == count && s.link.reply(2) == b2 && s.link.reply(3) == b3;
}

void say(Session& s, const std::string& text) { s.prompter().message(text, Icon::None); }

// The two directions share everything but their letters, reply shape and texts.
struct Direction {
  uint8_t readCmd;
  uint8_t writeCmd;
  int replyCount;
  int firstAction;   // index in ReplyBuffer of input 0's action byte
  const char* name;  // "Event-On" / "Event-Off"
  int16_t& (ConfigModel::*value)(int, int);
};

const Direction kOn{kCmdEventOnRead, kCmdEventOnWrite, 7, 5, "Event-On", &ConfigModel::eventOn};
const Direction kOff{kCmdEventOffRead, kCmdEventOffWrite, 6, 4, "Event-Off", &ConfigModel::eventOff};

int16_t& actionOf(Session& s, const Direction& d, int pin, int j) { return (s.model.*d.value)(pin, j); }

std::string notSupported(const Direction& d) {
  return std::string("Read ") + d.name + ": Function not supported by Device";
}

// Reads one pin's actions of one direction. nullopt = the transaction failed; false = the
// Vorn gave an answer of another shape (it does not know the command).
std::optional<bool> readActions(Session& s, const Direction& d, int pin) {
  if (!readRequest(s, {d.readCmd, u8(pin)})) return std::nullopt;
  if (!replyIs(s, d.replyCount, d.readCmd, u8(pin))) return false;
  for (int j = 0; j < kEventInputs; ++j) {
    actionOf(s, d, pin, j) = static_cast<int16_t>(DecodeActionByte(j, s.link.reply(d.firstAction + j)));
  }
  return true;
}

// A value the action nibble cannot carry would change the input number it is sent for.
std::string actionProblem(Session& s, const Direction& d, int pin) {
  for (int j = 0; j < kEventInputs; ++j) {
    const int v = actionOf(s, d, pin, j);
    if (v < kNoAction || v > kMaxDeviceAction) {
      return "Pin " + std::to_string(pin + s.model.NumberBase) + " cannot be written: " + d.name +
             " action " + std::to_string(v) + " of input " + std::to_string(j) + " is outside -1..14";
    }
  }
  return "";
}

bool writeActions(Session& s, const Direction& d, int pin) {
  Bytes req{d.writeCmd, u8(pin)};
  for (int j = 0; j < kEventInputs; ++j) req.push_back(EncodeActionByte(j, actionOf(s, d, pin, j)));
  if (!s.link.Transact(false, req)) return false;
  if (!s.link.opts.CheckVornBD) s.link.clock().sleepMs(kOneWayPauseMs);
  return true;
}

bool allWritable(Session& s, int firstPin, int lastPin) {
  for (int p = firstPin; p <= lastPin; ++p) {
    for (const Direction* d : {&kOn, &kOff}) {
      if (const std::string problem = actionProblem(s, *d, p); !problem.empty()) {
        say(s, problem);
        return false;
      }
    }
  }
  return true;
}

void refreshEditor(Session& s) {
  if (s.onEventControlRefresh) s.onEventControlRefresh();
}

}  // namespace

// ---- Encodings ------------------------------------------------------------------------

uint8_t EncodeActionByte(int input, int action) {
  const int low = (action < 0 || action > kMaxDeviceAction) ? 15 : action;
  return u8(16 * input + low);
}

int DecodeActionByte(int input, uint8_t b) {
  if (b / 16 != input || b % 16 == 15) return kNoAction;
  return b % 16;
}

uint8_t EnableMapOn(const EventControlState& ec) {
  uint8_t m = 0;
  for (int j = 0; j < kEventInputs; ++j) {
    if (!ec.CheckInitEE[static_cast<size_t>(j)]) m |= u8(1 << j);
  }
  return m;
}

uint8_t EnableMapOff(const EventControlState& ec) {
  uint8_t m = 0;
  for (int j = 0; j < kEventInputs; ++j) {
    if (!ec.CheckInitEE[static_cast<size_t>(kEventInputs + j)]) m |= u8(1 << j);
  }
  return m;
}

// ---- Editor ---------------------------------------------------------------------------

int ClampEventAction(int typed) { return std::clamp(typed, kNoAction, kMaxTypedAction); }

int EnterECPin(Session& s, int typed) {
  const int base = s.model.NumberBase;
  const int shown = std::clamp(typed, base, base + kPinsInUse - 1);
  s.ec.CurECPin = shown - base;
  ShowEventControl(s);
  return shown;
}

int EnterEventOn(Session& s, int input, int typed) {
  const int v = ClampEventAction(typed);
  s.ec.shownOn.at(static_cast<size_t>(input)) = v;
  s.model.eventOn(s.ec.CurECPin, input) = static_cast<int16_t>(v);
  return v;
}

int EnterEventOff(Session& s, int input, int typed) {
  const int v = ClampEventAction(typed);
  s.ec.shownOff.at(static_cast<size_t>(input)) = v;
  s.model.eventOff(s.ec.CurECPin, input) = static_cast<int16_t>(v);
  return v;
}

void ShowEventControl(Session& s) {
  for (int j = 0; j < kEventInputs; ++j) {
    s.ec.shownOn[static_cast<size_t>(j)] = s.model.eventOn(s.ec.CurECPin, j);
    s.ec.shownOff[static_cast<size_t>(j)] = s.model.eventOff(s.ec.CurECPin, j);
  }
  refreshEditor(s);
}

void CopyEventsToAll(Session& s) {
  for (int p = 0; p < kPinsInUse; ++p) {
    for (int j = 0; j < kEventInputs; ++j) {
      s.model.eventOn(p, j) = static_cast<int16_t>(s.ec.shownOn[static_cast<size_t>(j)]);
      s.model.eventOff(p, j) = static_cast<int16_t>(s.ec.shownOff[static_cast<size_t>(j)]);
    }
  }
}

// ---- Device routines ------------------------------------------------------------------

bool ReadEventActions(Session& s) {
  s.link.opts.CheckVornBD = true;
  for (const Direction* d : {&kOn, &kOff}) {
    for (int p = 0; p < kPinsInUse; ++p) {
      s.reportProgress(p, kPinsInUse,
                       std::string("Reading ") + d->name + " of pin " + std::to_string(p + 1) + " of 32");
      if (s.stopHere()) return false;
      const std::optional<bool> got = readActions(s, *d, p);
      if (!got) return false;
      if (!*got) {
        say(s, notSupported(*d));
        break;  // the other direction may still be known
      }
    }
  }
  ShowEventControl(s);
  return true;
}

bool WriteEventActions(Session& s) {
  if (!allWritable(s, 0, kPinsInUse - 1)) {
    s.HideBusy();
    return false;
  }
  for (const Direction* d : {&kOn, &kOff}) {
    for (int p = 0; p < kPinsInUse; ++p) {
      s.reportProgress(p, kPinsInUse,
                       std::string("Writing ") + d->name + " of pin " + std::to_string(p + 1) + " of 32");
      if (s.stopHere()) return false;
      if (!writeActions(s, *d, p)) {
        s.HideBusy();
        return false;
      }
    }
  }
  s.HideBusy();
  return true;
}

bool ReadEventActionsSingle(Session& s) {
  s.link.opts.CheckVornBD = true;
  const int pin = s.ec.CurECPin;
  for (const Direction* d : {&kOn, &kOff}) {
    const std::optional<bool> got = readActions(s, *d, pin);
    if (!got) return false;
    if (!*got) {
      say(s, "Function not supported by Device");
      if (d == &kOff) ShowEventControl(s);  // the event-on values did come in
      return false;
    }
  }
  ShowEventControl(s);
  return true;
}

bool WriteEventActionsSingle(Session& s) {
  const int pin = s.ec.CurECPin;
  if (!allWritable(s, pin, pin)) return false;
  for (const Direction* d : {&kOn, &kOff}) {
    if (!writeActions(s, *d, pin)) {
      s.HideBusy();
      return false;
    }
  }
  return true;
}

bool ReadEnableMaps(Session& s) {
  s.link.opts.CheckVornBD = true;
  if (!readRequest(s, {kCmdGenRead, kItemEnableMaps})) return false;
  if (s.link.replyCount() != 4) {
    say(s, "No valid response size");
    return true;
  }
  if (s.link.reply(2) != kCmdGenRead || s.link.reply(3) != kItemEnableMaps) {
    say(s, "No valid response type");
    return true;
  }
  const uint8_t on = s.link.reply(4);
  const uint8_t off = s.link.reply(5);
  for (int j = 0; j < kEventInputs; ++j) {
    s.ec.CheckInitEE[static_cast<size_t>(j)] = ((on >> j) & 1) == 0;
    s.ec.CheckInitEE[static_cast<size_t>(kEventInputs + j)] = ((off >> j) & 1) == 0;
  }
  refreshEditor(s);
  return true;
}

bool WriteEnableMaps(Session& s) {
  return s.link.Transact(false, {kCmdGenWrite, kItemEnableMaps, EnableMapOn(s.ec), EnableMapOff(s.ec)});
}

bool VerifyEventControl(Session& s) {
  s.link.opts.CheckVornBD = true;
  s.report.AddVerificationLine("Start EC Verification");
  if (s.model.NumberBase == 1) s.report.AddVerificationLine("Note: Numbering starts at 1");
  bool result = true;

  for (const Direction* d : {&kOn, &kOff}) {
    for (int p = 0; p < kPinsInUse; ++p) {
      s.reportProgress(p, kPinsInUse,
                       std::string("Verifying ") + d->name + " of pin " + std::to_string(p + 1) + " of 32");
      if (s.stopHere()) return false;
      if (!readRequest(s, {d->readCmd, u8(p)})) return false;
      if (!replyIs(s, d->replyCount, d->readCmd, u8(p))) {
        s.report.AddVerificationLine(notSupported(*d));
        result = false;
        break;
      }
      for (int j = 0; j < kEventInputs; ++j) {
        const int device = DecodeActionByte(j, s.link.reply(d->firstAction + j));
        const int model = actionOf(s, *d, p, j);
        if (device != model) {
          // The pin number is written as a signed number would be: a space for its sign.
          s.report.AddVerificationLine(std::string(d->name) + "(" + std::to_string(j) + ") for pin  " +
                                       std::to_string(p + s.model.NumberBase) +
                                       " does not compare: Configured Action = " + std::to_string(model) +
                                       ", Vorn Reply = " + std::to_string(device));
          result = false;
        }
      }
    }
  }

  // Maps that could not be read are not verified: that is no pass.
  if (!readRequest(s, {kCmdGenRead, kItemEnableMaps})) return false;
  if (s.link.replyCount() != 4) {
    s.report.AddVerificationLine("ECInit: No valid response size");
    return false;
  }
  if (s.link.reply(2) != kCmdGenRead || s.link.reply(3) != kItemEnableMaps) {
    s.report.AddVerificationLine("ECInit: No valid response type");
    return false;
  }
  if (s.link.reply(4) != EnableMapOn(s.ec)) {
    s.report.AddVerificationLine("ECInit: ON-mask does not compare");
    result = false;
  }
  if (s.link.reply(5) != EnableMapOff(s.ec)) {
    s.report.AddVerificationLine("ECInit: OFF-mask does not compare");
    result = false;
  }
  return result;
}

}  // namespace vorn
