#include "operations/PinTransfer.h"

#include <vector>

#include "model/Instructions.h"
#include "model/PinConfigParams.h"
#include "operations/Session.h"

namespace vorn {

namespace {

constexpr int kOneWayPauseMs = 100;
constexpr char kNoValidResponse[] = "No valid response";
constexpr char kAddrInvalid[] = "Read Pin Address Configuration: Invalid Response";

using Bytes = std::vector<uint8_t>;

uint8_t u8(int v) { return static_cast<uint8_t>(v); }

// A read: the Vorn must answer, so the link is made two-way first by the callers.
bool readRequest(Session& s, const Bytes& req) { return s.link.Transact(true, req) && s.link.ReplyOk; }

// A write; on a one-way link the Vorn gets a breather before the next frame.
bool writeRequest(Session& s, const Bytes& req) {
  if (!s.link.Transact(false, req)) return false;
  if (!s.link.opts.CheckVornBD) s.link.clock().sleepMs(kOneWayPauseMs);
  return true;
}

bool replyIs(Session& s, int count, uint8_t cmd, int pin) {
  return s.link.replyCount() == count && s.link.reply(2) == cmd && s.link.reply(3) == pin;
}

void say(Session& s, const std::string& text) { s.prompter().message(text, Icon::None); }

std::string shownPin(const Session& s, int pin) { return std::to_string(pin + s.model.NumberBase); }

int wrap32(int v) { return ((v % 32) + 32) % 32; }

WireSlot replySlot(const Session& s) {
  WireSlot w{};
  for (int k = 0; k < kSlotWireBytes; ++k) w[static_cast<size_t>(k)] = s.link.reply(6 + k);
  return w;
}

}  // namespace

// ---- Encodings ------------------------------------------------------------------------

uint8_t InitAspectByte(uint8_t initAspect) {
  return u8(0x70 | (initAspect == 0 ? 15 : ((initAspect - 1) & 0x0F)));
}

std::optional<uint8_t> DecodeInitAspectByte(uint8_t b) {
  if (b / 16 != 7) return std::nullopt;
  return u8(b % 16 == 15 ? 0 : b % 16 + 1);
}

uint8_t DccConfigByte(const PinData& pin) { return u8((pin.XDCCCount & 1) * 8 + (pin.DCCCount & 7)); }
uint8_t SerialConfigByte(const PinData& pin) { return u8(16 + (pin.SerialCount & 7)); }
uint8_t DevicePointerByte(int16_t devicePointer) { return u8(64 + wrap32(devicePointer)); }
int16_t DecodeDevicePointer(uint8_t b, int pin) { return static_cast<int16_t>((b % 32 + pin) % 32 - pin); }

std::string PinWriteProblem(const PinData& pin, int pinNo, int numberBase) {
  const std::string head = "Pin " + std::to_string(pinNo + numberBase) + " cannot be written: ";
  if (pin.AspectConfig > 127)
    return head + "aspect layout " + std::to_string(pin.AspectConfig) + " is above 127";
  if (pin.InitAspect > 15) return head + "initial aspect " + std::to_string(pin.InitAspect) + " is above 15";
  if (pin.DCCCount > 7) return head + "DCC address count " + std::to_string(pin.DCCCount) + " is above 7";
  if (pin.XDCCCount > 1)
    return head + "extended DCC address count " + std::to_string(pin.XDCCCount) + " is above 1";
  if (pin.SerialCount > 7)
    return head + "serial address count " + std::to_string(pin.SerialCount) + " is above 7";
  const int device = pinNo + pin.DevicePointer;
  if (device < 0 || device >= kPinsInUse) {
    return head + "device pointer " + std::to_string(pin.DevicePointer) + " leads outside the pins";
  }
  const int aspects = AspectsInLayout(pin.AspectConfig);
  const int slots = SlotsInLayout(pin.AspectConfig);
  for (int a = 0; a < aspects; ++a) {
    for (int i = 0; i < slots; ++i) {
      if (!EncodeSlot(pin.Aspects[static_cast<size_t>(a)].Instr[static_cast<size_t>(i)])) {
        return head + "aspect " + std::to_string(a) + " slot " + std::to_string(i) +
               " holds a value the Vorn cannot take";
      }
    }
  }
  return "";
}

// ---- Reading --------------------------------------------------------------------------

bool ReadPinProgram(Session& s, int pin) {
  s.link.opts.CheckVornBD = true;
  PinData& pd = s.model.pin(pin);

  if (!readRequest(s, {kCmdReadLayout, u8(pin)})) return false;
  if (!replyIs(s, 3, kCmdReadLayout, pin)) {
    say(s, kNoValidResponse);
    return false;
  }
  pd.AspectConfig = s.link.reply(4);

  const int aspects = AspectsInLayout(pd.AspectConfig);
  const int slots = SlotsInLayout(pd.AspectConfig);
  for (int a = 0; a < aspects; ++a) {
    for (int i = 0; i < slots; ++i) {
      if (!readRequest(s, {kCmdReadSlot, u8(pin), u8(a), u8(i)})) return false;
      if (!replyIs(s, 9, kCmdReadSlot, pin) || s.link.reply(4) != a || s.link.reply(5) != i) {
        say(s, kNoValidResponse);
        return false;
      }
      s.model.instr(pin, a, i) = DecodeSlot(replySlot(s));
    }
  }

  if (!readRequest(s, {kCmdReadEventOn, u8(pin)})) return false;
  std::optional<uint8_t> init;
  if (replyIs(s, 7, kCmdReadEventOn, pin)) init = DecodeInitAspectByte(s.link.reply(4));
  pd.InitAspect = init.value_or(0);

  if (!readRequest(s, {kCmdReadAddrConfig, u8(pin)})) return false;
  if (!replyIs(s, 5, kCmdReadAddrConfig, pin)) {
    say(s, kAddrInvalid);
    return false;
  }
  for (int k = 4; k <= 6; ++k) {
    const uint8_t b = s.link.reply(k);
    if (b / 16 == 0) {
      pd.DCCCount = b % 8;
      pd.XDCCCount = (b / 8) % 2;
    } else if (b / 16 == 1) {
      pd.SerialCount = b % 8;
    } else if (b / 32 == 2) {
      pd.DevicePointer = DecodeDevicePointer(b, pin);
    } else {
      say(s, kAddrInvalid);
      return false;
    }
  }
  return true;
}

bool ReadPinConfig(Session& s, bool stored, int pin) {
  s.link.opts.CheckVornBD = true;
  PinData& pd = s.model.pin(pin);
  if (!readRequest(s, {stored ? kCmdReadStoredConfig : kCmdReadActiveConfig, u8(pin)})) return false;
  const int n = s.link.replyCount() - 2;
  const uint8_t echo = s.link.reply(2);
  if (n < 1 || (echo != kCmdReadStoredConfig && echo != kCmdReadActiveConfig) || s.link.reply(3) != pin) {
    say(s, kNoValidResponse);
    return false;
  }
  for (int k = 0; k < n; ++k) {
    const uint8_t v = s.link.reply(4 + k);
    if (!stored && k == 1) {
      pd.LiveLevel = v;  // the active level, not a parameter
    } else {
      pd.PinConfig[static_cast<size_t>(k)] = v;
    }
  }
  ApplyShortPwmReply(pd.PinConfig, n);  // older firmware sends four PWM bytes
  ApplyOldServoFormat(pd.PinConfig);
  return true;
}

bool ReadPin(Session& s, int pin) {
  if (!ReadPinProgram(s, pin)) return false;
  // A configuration the Vorn cannot give has already been reported; the program is in.
  ReadPinConfig(s, true, pin);
  return true;
}

bool ReadAllPins(Session& s) {
  for (int p = 0; p < kPinsInUse; ++p) {
    s.reportProgress(p, kPinsInUse, "Reading pin " + std::to_string(p + 1) + " of 32");
    if (s.stopHere()) return false;
    if (!ReadPin(s, p)) return false;
  }
  s.reportProgress(kPinsInUse, kPinsInUse, "Pins read");
  return true;
}

namespace {
// The device-pointer byte of the 'v' reply in the buffer, if there is one.
std::optional<uint8_t> replyDevicePointerByte(const Session& s) {
  for (int k = 4; k <= 6; ++k) {
    if (s.link.reply(k) / 32 == 2) return s.link.reply(k);
  }
  return std::nullopt;
}
}  // namespace

bool ReadDevice(Session& s, int pin) {
  s.link.opts.CheckVornBD = true;  // the first frame is a read too
  if (!readRequest(s, {kCmdReadAddrConfig, u8(pin)})) return false;
  if (!replyIs(s, 5, kCmdReadAddrConfig, pin)) {
    say(s, kAddrInvalid);
    return false;
  }
  const std::optional<uint8_t> own = replyDevicePointerByte(s);
  if (!own) {
    say(s, "Cannot read DevicePointer from Pin " + shownPin(s, pin));
    return false;
  }
  const int device = (*own % 32 + pin) % 32;

  for (int q = 0; q < kPinsInUse; ++q) {
    s.reportProgress(q, kPinsInUse, "Checking pin " + std::to_string(q + 1) + " of 32");
    if (s.stopHere()) return false;
    if (!readRequest(s, {kCmdReadAddrConfig, u8(q)})) return false;
    if (!replyIs(s, 5, kCmdReadAddrConfig, q)) {
      say(s, kAddrInvalid);
      return false;
    }
    bool member = false;
    for (int k = 4; k <= 6; ++k) {
      const uint8_t b = s.link.reply(k);
      if (b / 32 == 2 && (b % 32 + q) % 32 == device) member = true;
    }
    if (member && !ReadPin(s, q)) return false;
  }
  return true;
}

// ---- Writing --------------------------------------------------------------------------

bool WriteAspect(Session& s, int pin, int aspect) {
  const PinData& pd = s.model.pin(pin);
  const int slots = SlotsInLayout(pd.AspectConfig);
  if (slots == 0 || aspect < 0 || aspect >= kAspectSlots) return false;
  for (int i = 0; i < slots; ++i) {
    const std::optional<WireSlot> w = EncodeSlot(s.model.instr(pin, aspect, i));
    if (!w) {
      // Sending it would cut it down to a different instruction.
      say(s, "Pin " + shownPin(s, pin) + " cannot be written: aspect " + std::to_string(aspect) + " slot " +
                 std::to_string(i) + " holds a value the Vorn cannot take");
      return false;
    }
    const WireSlot& b = *w;
    const Bytes req{kCmdWriteSlot, u8(pin), u8(aspect), u8(i), b[0], b[1], b[2], b[3], b[4]};
    if (!writeRequest(s, req)) return false;
    s.pinPartWritten = "aspect " + std::to_string(aspect) + " slot " + std::to_string(i);
  }
  return true;
}

namespace {
bool writePart(Session& s, const Bytes& req, const char* part) {
  if (!writeRequest(s, req)) return false;
  s.pinPartWritten = part;
  return true;
}
}  // namespace

bool WritePinLayout(Session& s, int pin) {
  return writePart(s, {kCmdWriteLayout, u8(pin), s.model.pin(pin).AspectConfig}, "the aspect layout");
}

bool WritePinInit(Session& s, int pin) {
  return writePart(s, {kCmdWriteEventOn, u8(pin), InitAspectByte(s.model.pin(pin).InitAspect)},
                   "the initial aspect");
}

bool WritePinAddresses(Session& s, int pin) {
  const PinData& pd = s.model.pin(pin);
  return writePart(s,
                   {kCmdWriteAddrConfig, u8(pin), DccConfigByte(pd), SerialConfigByte(pd),
                    DevicePointerByte(pd.DevicePointer)},
                   "the address configuration");
}

bool WritePinProgram(Session& s, int pin) {
  const PinData& pd = s.model.pin(pin);
  if (const std::string problem = PinWriteProblem(pd, pin, s.model.NumberBase); !problem.empty()) {
    say(s, problem);
    return false;
  }
  if (!WritePinLayout(s, pin) || !WritePinInit(s, pin) || !WritePinAddresses(s, pin)) return false;
  const int aspects = AspectsInLayout(pd.AspectConfig);
  for (int a = 0; a < aspects; ++a) {
    if (!WriteAspect(s, pin, a)) return false;
  }
  return true;
}

bool WritePinConfig(Session& s, bool flash, int pin) {
  PinData& pd = s.model.pin(pin);
  ReduceServoFlagsForWrite(pd.PinConfig);  // the Vorn keeps six flag bits
  const int count = ConfigElementsSent(pd.PinConfig[0]);
  Bytes req{flash ? kCmdWriteFlashConfig : kCmdWriteActiveConfig, u8(pin)};
  for (int k = 0; k < count; ++k) {
    const uint8_t v = pd.PinConfig[static_cast<size_t>(k)];
    if (v > 127) {
      say(s, "Pin " + shownPin(s, pin) + " cannot be written: configuration byte " + std::to_string(k) +
                 " is " + std::to_string(v) + ", above 127");
      return false;
    }
    req.push_back(v);
  }
  return s.link.Transact(false, req);
}

bool WritePin(Session& s, int pin) {
  if (!WritePinProgram(s, pin)) return false;
  return WritePinConfig(s, true, pin);
}

bool WriteAllPins(Session& s) {
  for (int p = 0; p < kPinsInUse; ++p) {
    s.reportProgress(p, kPinsInUse, "Writing pin " + std::to_string(p + 1) + " of 32");
    s.pinPartWritten.clear();
    if (s.stopHere()) return false;
    if (!WritePin(s, p)) return false;
  }
  s.reportProgress(kPinsInUse, kPinsInUse, "Pins written");
  return true;
}

// ---- Verification ---------------------------------------------------------------------

namespace {

enum class Step { Ok, Stop, Fail };  // Stop: the run ends (with false)

Step verifyConfig(Session& s, int pin, bool& result) {
  const PinData& pd = s.model.pin(pin);
  const std::string P = "Pin " + shownPin(s, pin);
  if (!readRequest(s, {kCmdReadStoredConfig, u8(pin)})) return Step::Fail;
  const int n = s.link.replyCount() - 2;
  const uint8_t echo = s.link.reply(2);
  if (n < 1 || (echo != kCmdReadStoredConfig && echo != kCmdReadActiveConfig) || s.link.reply(3) != pin) {
    s.report.AddVerificationLine(kNoValidResponse);
    return Step::Stop;
  }
  std::array<uint8_t, kPinConfigBytes> got{};
  for (int k = 0; k < n; ++k) got[static_cast<size_t>(k)] = s.link.reply(4 + k);
  ApplyOldServoFormat(got);
  for (int k = 0; k < n; ++k) {
    if (pd.PinConfig[static_cast<size_t>(k)] != got[static_cast<size_t>(k)]) {
      s.report.AddVerificationLine(P + ": Pinconfig does not compare");
      result = false;
      break;
    }
  }
  if (ShortPwmReplyMismatch(got[0], n, pd.PinConfig)) {
    s.report.AddVerificationLine(P + ": Pinconfig does not compare");
    result = false;
  }
  return Step::Ok;
}

Step verifyProgram(Session& s, int pin, bool& result) {
  const PinData& pd = s.model.pin(pin);
  const std::string P = "Pin " + shownPin(s, pin);
  if (!readRequest(s, {kCmdReadLayout, u8(pin)})) return Step::Fail;
  if (!replyIs(s, 3, kCmdReadLayout, pin)) {
    s.report.AddVerificationLine(kNoValidResponse);
    return Step::Stop;
  }
  if (s.link.reply(4) != pd.AspectConfig) {
    s.report.AddVerificationLine(P + ": Aspectconfig does not compare");
    result = false;
    return Step::Ok;
  }
  const int aspects = AspectsInLayout(pd.AspectConfig);
  const int slots = SlotsInLayout(pd.AspectConfig);
  for (int a = 0; a < aspects; ++a) {
    for (int i = 0; i < slots; ++i) {
      if (!readRequest(s, {kCmdReadSlot, u8(pin), u8(a), u8(i)})) return Step::Fail;
      if (!replyIs(s, 9, kCmdReadSlot, pin) || s.link.reply(4) != a || s.link.reply(5) != i) {
        s.report.AddVerificationLine(kNoValidResponse);
        return Step::Stop;
      }
      if (!(DecodeSlot(replySlot(s)) == s.model.instr(pin, a, i))) {
        s.report.AddVerificationLine(P + ": Aspect " + std::to_string(a) + " does not compare");
        result = false;
        break;  // one line per aspect; on with the next
      }
    }
  }
  return Step::Ok;
}

Step verifyInitAndAddresses(Session& s, int pin, bool& result) {
  const PinData& pd = s.model.pin(pin);
  const std::string P = "Pin " + shownPin(s, pin);
  if (!readRequest(s, {kCmdReadEventOn, u8(pin)})) return Step::Fail;
  if (replyIs(s, 7, kCmdReadEventOn, pin)) {
    const std::optional<uint8_t> init = DecodeInitAspectByte(s.link.reply(4));
    if (init && *init != pd.InitAspect) {
      s.report.AddVerificationLine(P + ": Init does not compare");
      result = false;
    }
  }

  if (!readRequest(s, {kCmdReadAddrConfig, u8(pin)})) return Step::Fail;
  if (!replyIs(s, 5, kCmdReadAddrConfig, pin)) {
    s.report.AddVerificationLine("Pin Address Configuration: Invalid Response, expected 5,118," +
                                 std::to_string(pin) + ", received " + std::to_string(s.link.replyCount()) +
                                 "," + std::to_string(s.link.reply(2)) + "," +
                                 std::to_string(s.link.reply(3)));
    result = false;
    return Step::Ok;
  }
  for (int k = 4; k <= 6; ++k) {
    const uint8_t b = s.link.reply(k);
    if (b / 16 == 0) {
      if (b % 16 != pd.XDCCCount * 8 + pd.DCCCount) {
        s.report.AddVerificationLine(P + ": DCC Address Configuration does not compare");
        result = false;
      }
    } else if (b / 16 == 1) {
      if (b % 16 != pd.SerialCount) {
        s.report.AddVerificationLine(P + ": Serial Address Configuration does not compare");
        result = false;
      }
    } else if (b / 32 == 2) {  // as the read takes it: 96..127 is no device pointer
      if (b % 32 != wrap32(pd.DevicePointer)) {
        s.report.AddVerificationLine(P + ": Device Pointer does not compare");
        result = false;
      }
    } else {
      s.report.AddVerificationLine("Pin Address Configuration: Invalid Response " + std::to_string(b / 16));
      result = false;
    }
  }
  return Step::Ok;
}

}  // namespace

bool VerifyPins(Session& s) {
  s.link.opts.CheckVornBD = true;
  s.report.AddVerificationLine("Start Pin Verification");
  if (s.model.NumberBase == 1) s.report.AddVerificationLine("Note: Numbering starts at 1");
  bool result = true;
  for (int p = 0; p < kPinsInUse; ++p) {
    s.reportProgress(p, kPinsInUse, "Verifying pin " + std::to_string(p + 1) + " of 32");
    if (s.stopHere()) return false;
    const size_t at = s.report.text().size();
    for (auto step : {verifyConfig, verifyProgram, verifyInitAndAddresses}) {
      const Step st = step(s, p, result);
      if (st != Step::Ok) {
        s.markPin(p, st == Step::Stop ? s.report.text().substr(at) : "No answer\r\n");
        return false;
      }
    }
    s.markPin(p, s.report.text().substr(at));
  }
  s.reportProgress(kPinsInUse, kPinsInUse, "Pins verified");
  return result;
}

}  // namespace vorn
