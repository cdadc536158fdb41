#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ConfigModel.h"

namespace vorn {

// ---------------------------------------------------------------------------------------
// Instruction catalogue
// ---------------------------------------------------------------------------------------

inline constexpr int kInstrCodes = 129;      // catalogue entries, codes 0..128
inline constexpr int kPickerLastCode = 127;  // code 128 is never offered in a picker

// Values of InstrDef::Kind (what the help tools key on).
inline constexpr int16_t kKindNone = 0;
inline constexpr int16_t kKindTimed = 9;  // Par2 is a tick count, Par3 its base (x 8^Par3)
inline constexpr int16_t kKindEventInput = 16;
// 2..7: multibit instruction over that many pins.

// Codes with their own parameter rules.
inline constexpr uint8_t kOpJump = 1;
inline constexpr uint8_t kOpSendSerial1 = 4;
inline constexpr uint8_t kOpSendSerial2 = 5;
inline constexpr uint8_t kOpMXpulse = 18;
inline constexpr uint8_t kOpFirstAccel = 96;  // 96..99 take an acceleration in P.O.
inline constexpr uint8_t kOpLastAccel = 99;
inline constexpr uint8_t kOpFirstTimed = 64;  // codes above 63 show a duration

struct InstrDef {
  int16_t Group = 0;
  std::string_view Name;  // "" = code not defined
  bool FadeAllowed = false;
  bool UsesPinOffset = false;
  bool UsesPar1 = false;
  bool UsesPar2 = false;
  bool UsesPar3 = false;
  std::string_view Label0;  // captions of the P.O., Par1, Par2, Par3 columns
  std::string_view Label1;
  std::string_view Label2;
  std::string_view Label3;
  int16_t Par1Min = 0;
  int16_t Par1Max = 0;
  int16_t Kind = kKindNone;
  int16_t Par1Offset = 0;  // added to the stored Par1 to give the value shown and typed

  bool defined() const { return !Name.empty(); }
};

// The whole catalogue, indexed by code 0..128.
const std::array<InstrDef, kInstrCodes>& InstrDefs();

// Catalogue entry of any code byte. Codes 129..255 (and negative values) lie beyond the
// table: they get an empty entry, exactly like the codes that have no row.
const InstrDef& InstrDefFor(int code);

// Name of a slot's code in a program list or report: the catalogue name, or
// "Code <n>" for a code the catalogue does not define (including 129..255).
std::string InstrListName(int code);

// Codes as the instruction picker lists them: group 0..5, then rising code; 128 never.
const std::vector<uint8_t>& PickerCodes();

// Index in PickerCodes() of the first entry for `code`, or 0 ("-") when it is not listed.
int PickerIndexOf(int code);

// ---------------------------------------------------------------------------------------
// Code byte and wire form of a slot
// ---------------------------------------------------------------------------------------

struct SplitCode {
  uint8_t Opcode = 0;
  uint8_t Fade = 0;
  bool operator==(const SplitCode&) const = default;
};

// Fade x 16 + Opcode: the code byte on the wire and the combined code in the text files.
int CombinedCode(const Instruction& in);

// Splits a code byte 0..255: 19..63 with bit 4 set is a fade variant, anything else is
// a plain code (so 16, 17 and 18 stay plain) with Fade 0. A number read from a file must
// be checked to lie in 0..255 before it gets here.
SplitCode SplitCodeByte(int codeByte);

// A slot on the wire: the code byte and the four parameter bytes.
inline constexpr int kSlotWireBytes = 5;
using WireSlot = std::array<uint8_t, kSlotWireBytes>;

// Wire form of a slot, with SendSerial's full bytes packed into 7-bit bytes.
// nullopt when a byte would not fit in 7 bits (a code or parameter outside what the
// Vorn can hold, e.g. loaded from a file): such a slot must not be sent, since the link
// would silently cut it down to something else.
std::optional<WireSlot> EncodeSlot(const Instruction& in);

// Slot from its five wire bytes (fade split, SendSerial unpacking). Only the low seven
// bits of each byte are taken, as the Vorn never sends more.
Instruction DecodeSlot(const WireSlot& wire);

// ---------------------------------------------------------------------------------------
// Parameter entry and display (the four parameter boxes of a program row)
// ---------------------------------------------------------------------------------------

struct IntRange {
  int Min = 0;
  int Max = 0;
  int clamp(int v) const { return v < Min ? Min : (v > Max ? Max : v); }
  bool contains(int v) const { return v >= Min && v <= Max; }
  bool operator==(const IntRange&) const = default;
};

// A value typed into a box after the box's rules: what the box shows and the byte stored.
struct EnteredParam {
  int Shown = 0;
  uint8_t Stored = 0;
  bool operator==(const EnteredParam&) const = default;
};

// P.O. (byte 2): acceleration -1..31 for 96..99, absolute pin 0..31 for 18 ("MXpin"),
// otherwise an offset keeping curPin + offset inside 0..31.
IntRange PinOffsetRange(int opcode, int curPin);
EnteredParam EnterPinOffset(int opcode, int curPin, int typed);
int ShownPinOffset(int opcode, int curPin, uint8_t stored);

// Par1 (byte 3): limited by Par1Min/Par1Max of the catalogue, shown with Par1Offset.
IntRange Par1ShownRange(int opcode);
EnteredParam EnterPar1(int opcode, int typed);
int ShownPar1(int opcode, uint8_t stored);

// Par2 (byte 4): 0..8 for Jump, 0..255 for SendSerial, 0..31 for MXpulse, else 0..63.
IntRange Par2Range(int opcode);
EnteredParam EnterPar2(int opcode, int typed);

// Par3 (byte 5): 0..3 for every code.
IntRange Par3Range();
EnteredParam EnterPar3(int typed);

// ---------------------------------------------------------------------------------------
// Row refresh (ShowInstruction) and duration
// ---------------------------------------------------------------------------------------

// What a program row shows for an instruction.
struct InstrRowView {
  bool FadeOffered = false;                  // fade box visible (with the row's picker)
  std::string_view FadeHeader;               // "Fade" or ""
  std::array<bool, 4> ParamUsed{};           // P.O., Par1, Par2, Par3: normal vs greyed box
  std::array<std::string_view, 4> Labels{};  // column captions Label0..Label3
};
InstrRowView RowViewFor(int opcode);

// The slot as ShowInstruction stores it back: unused parameter bytes and a fade flag the
// instruction does not allow become 0; everything else is kept. A slot whose code the
// catalogue does not define is kept whole.
Instruction NormalisedSlot(const Instruction& in);

// Everything a program row shows after ShowInstruction.
struct InstrRowState {
  InstrRowView View;
  int PickerIndex = 0;         // entry of the row's picker (0 "-" for a code not listed)
  bool Fade = false;           // fade box ticked
  std::array<int, 4> Shown{};  // P.O., Par1, Par2, Par3 as their boxes show them
  std::string Time;            // LabelPAspTime caption
};

// ShowInstruction(row) on the model side: normalises slot `row` of aspect CurAspect of
// pin CurPin in place and returns what the row shows.
InstrRowState ShowInstruction(ConfigModel& m, int row);

// Duration caption "mm:ss.hh" of a row: Par2 x 8^Par3 ticks of 20 ms for codes above
// 63, "00:00.00" below. A base too large for any real duration shows "--:--.--".
std::string TimeText(int opcode, int par2, int par3);

}  // namespace vorn
