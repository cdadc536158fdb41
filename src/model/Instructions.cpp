#include "model/Instructions.h"

#include <limits>

namespace vorn {

namespace {

// One row of the catalogue as it is written down: labels "" for an unused parameter,
// Par1 as the range the user sees (servo positions are shown -64..63, stored 0..127).
struct CatalogueRow {
  int Code;
  std::string_view Name;
  int Group;
  bool Fade;
  std::string_view Label0, Label1, Label2, Label3;
  int Par1ShownMin, Par1ShownMax;
  int Kind;
};

// clang-format off
constexpr CatalogueRow kRows[] = {
    {0, "-", 0, false, "", "", "", "", 0, 0, 0},
    {1, "Jump", 3, false, "P.O.", "Asp#", "Ins#", "", 0, 11, 0},
    {3, "NS G->Y->R", 4, true, "P.O.", "Type", "", "", 0, 1, 0},
    {4, "SendSerial 1", 5, false, "", "Byte", "", "", 0, 255, 0},
    {5, "SendSerial 2", 5, false, "", "Byte1", "Byte2", "", 0, 255, 0},
    {6, "Blink alt", 0, true, "P.O.", "T(/60)", "", "", 0, 127, 0},
    {7, "Clone", 4, true, "P.O.", "Source", "", "", 0, 31, 0},
    {8, "Off", 0, true, "P.O.", "T(/60)", "", "", 0, 127, 0},
    {9, "On", 0, true, "P.O.", "T(/60)", "", "", 0, 127, 0},
    {10, "Invert", 0, true, "P.O.", "T(/60)", "", "", 0, 127, 0},
    {11, "Random", 0, true, "P.O.", "T(/60)", "", "", 0, 127, 0},
    {12, "Multibit 2", 0, true, "P.O.", "Patt.", "", "", 0, 127, 2},
    {13, "Multibit 3", 0, true, "P.O.", "Patt.", "", "", 0, 127, 3},
    {14, "Multibit 4", 0, true, "P.O.", "Patt.", "", "", 0, 127, 4},
    {15, "Multibit 5", 0, true, "P.O.", "Patt.", "", "", 0, 127, 5},
    {16, "Event Input", 3, false, "", "ETImap", "", "", 0, 127, 16},
    {17, "Feedback", 5, false, "P.O.", "Aspect", "", "", 0, 11, 0},
    {18, "MXpulse", 5, false, "MXpin", "T(/60)", "Level", "", 0, 127, 0},
    {32, "Multibit 6", 0, true, "P.O.", "Patt.", "", "", 0, 127, 6},
    {33, "Multibit 7", 0, true, "P.O.", "Patt.", "", "", 0, 127, 7},
    {34, "Multibit 6 AD", 0, true, "P.O.", "Patt.", "", "", 0, 127, 6},
    {35, "Multibit 7 AD", 0, true, "P.O.", "Patt.", "", "", 0, 127, 7},
    {36, "Multibit 6 ND", 0, true, "P.O.", "Patt.", "", "", 0, 127, 6},
    {37, "Multibit 7 ND", 0, true, "P.O.", "Patt.", "", "", 0, 127, 7},
    {38, "Set Level", 1, true, "P.O.", "Level", "", "", 0, 31, 0},
    {39, "Set Servo", 2, true, "P.O.", "Pos.", "", "", -64, 63, 0},
    {42, "Multiblink 2", 0, true, "P.O.", "T(/60)", "", "", 0, 127, 0},
    {43, "Multiblink 3", 0, true, "P.O.", "T(/60)", "", "", 0, 127, 0},
    {44, "Multiblink 4", 0, true, "P.O.", "T(/60)", "", "", 0, 127, 0},
    {45, "Multiblink 5", 0, true, "P.O.", "T(/60)", "", "", 0, 127, 0},
    {46, "Multiblink 6", 0, true, "P.O.", "T(/60)", "", "", 0, 127, 0},
    {47, "Multiblink 7", 0, true, "P.O.", "T(/60)", "", "", 0, 127, 0},
    {96, "SetLevel & Wait", 1, false, "Accel", "Level", "Time", "Base", 0, 31, 9},
    {97, "SetLevel & WtRnd", 1, false, "Accel", "Level", "Time", "Base", 0, 31, 9},
    {98, "SetRnd & Wait", 1, false, "Accel", "Chance", "Time", "Base", 0, 31, 9},
    {99, "SetRnd & WtRnd", 1, false, "Accel", "Chance", "Time", "Base", 0, 31, 9},
    {100, "SetServo & Wait", 2, false, "", "Pos", "Time", "Base", -64, 63, 9},
    {101, "SetServo & WtRnd", 2, false, "", "Pos", "Time", "Base", -64, 63, 9},
    {102, "Wait", 3, false, "", "", "Time", "Base", 0, 0, 9},
    {103, "Wait Random", 3, false, "", "", "Time", "Base", 0, 0, 9},
    {112, "SetAspect 0", 3, false, "P.O.", "", "Time", "Base", 0, 0, 9},
    {113, "SetAspect 1", 3, false, "P.O.", "", "Time", "Base", 0, 0, 9},
    {114, "SetAspect 2", 3, false, "P.O.", "", "Time", "Base", 0, 0, 9},
    {115, "SetAspect 3", 3, false, "P.O.", "", "Time", "Base", 0, 0, 9},
    {116, "SetAspect 4", 3, false, "P.O.", "", "Time", "Base", 0, 0, 9},
    {117, "SetAspect 5", 3, false, "P.O.", "", "Time", "Base", 0, 0, 9},
    {118, "SetAspect 6", 3, false, "P.O.", "", "Time", "Base", 0, 0, 9},
    {119, "SetAspect 7", 3, false, "P.O.", "", "Time", "Base", 0, 0, 9},
    {120, "SetAspect 8", 3, false, "P.O.", "", "Time", "Base", 0, 0, 9},
    {121, "SetAspect 9", 3, false, "P.O.", "", "Time", "Base", 0, 0, 9},
    {122, "SetAspect 10", 3, false, "P.O.", "", "Time", "Base", 0, 0, 9},
    {123, "SetAspect 11", 3, false, "P.O.", "", "Time", "Base", 0, 0, 9},
    {127, "Suspend Servo", 2, false, "P.O.", "", "Time", "Base", 0, 0, 9},
};
// clang-format on

std::array<InstrDef, kInstrCodes> BuildCatalogue() {
  std::array<InstrDef, kInstrCodes> defs{};
  for (const CatalogueRow& r : kRows) {
    InstrDef& d = defs[static_cast<size_t>(r.Code)];
    d.Group = static_cast<int16_t>(r.Group);
    d.Name = r.Name;
    d.FadeAllowed = r.Fade;
    d.Label0 = r.Label0;
    d.Label1 = r.Label1;
    d.Label2 = r.Label2;
    d.Label3 = r.Label3;
    // A parameter is used exactly when it has a caption.
    d.UsesPinOffset = !r.Label0.empty();
    d.UsesPar1 = !r.Label1.empty();
    d.UsesPar2 = !r.Label2.empty();
    d.UsesPar3 = !r.Label3.empty();
    // Stored Par1 always starts at 0; the shown minimum is the offset.
    d.Par1Offset = static_cast<int16_t>(r.Par1ShownMin);
    d.Par1Min = 0;
    d.Par1Max = static_cast<int16_t>(r.Par1ShownMax - r.Par1ShownMin);
    d.Kind = static_cast<int16_t>(r.Kind);
  }
  return defs;
}

bool IsAccelCode(int opcode) { return opcode >= kOpFirstAccel && opcode <= kOpLastAccel; }
bool IsSerialCode(int opcode) { return opcode == kOpSendSerial1 || opcode == kOpSendSerial2; }

uint8_t ToByte(int v) { return static_cast<uint8_t>(v); }

std::string TwoDigits(uint64_t v) {
  std::string s = std::to_string(v);
  return v < 10 ? "0" + s : s;
}

}  // namespace

const std::array<InstrDef, kInstrCodes>& InstrDefs() {
  static const std::array<InstrDef, kInstrCodes> defs = BuildCatalogue();
  return defs;
}

const InstrDef& InstrDefFor(int code) {
  static const InstrDef empty{};
  if (code < 0 || code >= kInstrCodes) return empty;
  return InstrDefs()[static_cast<size_t>(code)];
}

std::string InstrListName(int code) {
  const InstrDef& d = InstrDefFor(code);
  if (d.defined()) return std::string(d.Name);
  return "Code " + std::to_string(code);
}

const std::vector<uint8_t>& PickerCodes() {
  static const std::vector<uint8_t> codes = [] {
    std::vector<uint8_t> v;
    for (int group = 0; group <= 5; ++group) {
      for (int code = 0; code <= kPickerLastCode; ++code) {
        const InstrDef& d = InstrDefFor(code);
        if (d.defined() && d.Group == group) v.push_back(ToByte(code));
      }
    }
    return v;
  }();
  return codes;
}

int PickerIndexOf(int code) {
  const std::vector<uint8_t>& codes = PickerCodes();
  for (size_t i = 0; i < codes.size(); ++i) {
    if (codes[i] == code) return static_cast<int>(i);
  }
  return 0;
}

// ---- code byte and wire form --------------------------------------------------------

SplitCode SplitCodeByte(int codeByte) {
  if ((codeByte & 16) != 0 && codeByte >= 19 && codeByte <= 63) {
    return {ToByte(codeByte - 16), 1};
  }
  return {ToByte(codeByte), 0};
}

int CombinedCode(const Instruction& in) {
  // A fade flag only travels where the receiver can split it off again (codes 3..47);
  // on any other code adding 16 would name a different instruction (Jump + 16 is
  // Feedback), so the flag is left out there.
  if (in.Fade != 0) {
    const int withFade = in.Opcode + 16;
    if (SplitCodeByte(withFade) == SplitCode{in.Opcode, 1}) return withFade;
  }
  return in.Opcode;
}

std::optional<WireSlot> EncodeSlot(const Instruction& in) {
  WireSlot w{};
  const int code = CombinedCode(in);
  if (code > 127) return std::nullopt;
  w[0] = ToByte(code);
  if (IsSerialCode(in.Opcode)) {
    // Full bytes: the two high bits ride in the P.O. position.
    w[1] = ToByte(2 * (in.Par2 / 128) + in.Par1 / 128);
    w[2] = ToByte(in.Par1 % 128);
    w[3] = ToByte(in.Par2 % 128);
  } else {
    if (in.PinOffset > 127 || in.Par1 > 127 || in.Par2 > 127) return std::nullopt;
    w[1] = in.PinOffset;
    w[2] = in.Par1;
    w[3] = in.Par2;
  }
  if (in.Par3 > 127) return std::nullopt;
  w[4] = in.Par3;
  return w;
}

Instruction DecodeSlot(const WireSlot& wire) {
  WireSlot b{};
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(wire[i] & 0x7F);
  Instruction in;
  const SplitCode c = SplitCodeByte(b[0]);
  in.Opcode = c.Opcode;
  in.Fade = c.Fade;
  if (IsSerialCode(in.Opcode)) {
    in.PinOffset = 0;
    in.Par1 = ToByte((b[1] % 2) * 128 + b[2]);
    in.Par2 = ToByte(((b[1] / 2) % 2) * 128 + b[3]);
  } else {
    in.PinOffset = b[1];
    in.Par1 = b[2];
    in.Par2 = b[3];
  }
  in.Par3 = b[4];
  return in;
}

// ---- parameter entry ------------------------------------------------------------------

IntRange PinOffsetRange(int opcode, int curPin) {
  if (IsAccelCode(opcode)) return {-1, 31};
  if (opcode == kOpMXpulse) return {0, 31};
  return {-curPin, 31 - curPin};
}

EnteredParam EnterPinOffset(int opcode, int curPin, int typed) {
  const int v = PinOffsetRange(opcode, curPin).clamp(typed);
  if (IsAccelCode(opcode)) return {v, ToByte((v + 128) % 128)};
  if (opcode == kOpMXpulse) return {v, ToByte(v)};
  return {v, ToByte((v + 32) % 32)};
}

int ShownPinOffset(int opcode, int curPin, uint8_t stored) {
  if (IsAccelCode(opcode)) return stored == 127 ? -1 : stored;
  if (opcode == kOpMXpulse) return stored;
  return curPin + stored < 32 ? stored : stored - 32;
}

IntRange Par1ShownRange(int opcode) {
  const InstrDef& d = InstrDefFor(opcode);
  return {d.Par1Min + d.Par1Offset, d.Par1Max + d.Par1Offset};
}

EnteredParam EnterPar1(int opcode, int typed) {
  const int v = Par1ShownRange(opcode).clamp(typed);
  return {v, ToByte(v - InstrDefFor(opcode).Par1Offset)};
}

int ShownPar1(int opcode, uint8_t stored) { return stored + InstrDefFor(opcode).Par1Offset; }

IntRange Par2Range(int opcode) {
  if (opcode == kOpJump) return {0, 8};
  if (IsSerialCode(opcode)) return {0, 255};
  if (opcode == kOpMXpulse) return {0, 31};
  return {0, 63};
}

EnteredParam EnterPar2(int opcode, int typed) {
  const int v = Par2Range(opcode).clamp(typed);
  return {v, ToByte(v)};
}

IntRange Par3Range() { return {0, 3}; }

EnteredParam EnterPar3(int typed) {
  const int v = Par3Range().clamp(typed);
  return {v, ToByte(v)};
}

// ---- row refresh and duration ---------------------------------------------------------

InstrRowView RowViewFor(int opcode) {
  const InstrDef& d = InstrDefFor(opcode);
  InstrRowView v;
  v.FadeOffered = d.FadeAllowed;
  v.FadeHeader = d.FadeAllowed ? "Fade" : "";
  v.ParamUsed = {d.UsesPinOffset, d.UsesPar1, d.UsesPar2, d.UsesPar3};
  v.Labels = {d.Label0, d.Label1, d.Label2, d.Label3};
  return v;
}

Instruction NormalisedSlot(const Instruction& in) {
  const InstrDef& d = InstrDefFor(in.Opcode);
  // A code this program does not know (say, from newer firmware) keeps its bytes: we
  // cannot tell which of them matter, and clearing them would lose the instruction.
  if (!d.defined()) return in;
  Instruction out = in;
  if (!d.FadeAllowed) out.Fade = 0;
  if (!d.UsesPinOffset) out.PinOffset = 0;
  if (!d.UsesPar1) out.Par1 = 0;
  if (!d.UsesPar2) out.Par2 = 0;
  if (!d.UsesPar3) out.Par3 = 0;
  return out;
}

InstrRowState ShowInstruction(ConfigModel& m, int row) {
  Instruction& slot = m.instr(m.CurPin, m.CurAspect, row);
  slot = NormalisedSlot(slot);
  InstrRowState st;
  st.View = RowViewFor(slot.Opcode);
  st.PickerIndex = PickerIndexOf(slot.Opcode);
  st.Fade = slot.Fade != 0;
  st.Shown = {ShownPinOffset(slot.Opcode, m.CurPin, slot.PinOffset), ShownPar1(slot.Opcode, slot.Par1),
              slot.Par2, slot.Par3};
  st.Time = TimeText(slot.Opcode, slot.Par2, slot.Par3);
  return st;
}

std::string TimeText(int opcode, int par2, int par3) {
  if (opcode < kOpFirstTimed) return "00:00.00";
  if (par2 < 0 || par3 < 0) return "--:--.--";
  uint64_t t = static_cast<uint64_t>(par2);
  for (int i = 0; i < par3; ++i) {
    if (t > std::numeric_limits<uint64_t>::max() / 8) return "--:--.--";
    t *= 8;
  }
  const uint64_t hundredths = (t % 50) * 2;
  const uint64_t s = t / 50;
  return TwoDigits(s / 60) + ":" + TwoDigits(s % 60) + "." + TwoDigits(hundredths);
}

}  // namespace vorn
