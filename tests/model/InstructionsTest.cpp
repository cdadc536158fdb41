#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/Instructions.h"

namespace vorn {
namespace {

Instruction In(int code, int fade, int po = 0, int p1 = 0, int p2 = 0, int p3 = 0) {
  auto b = [](int v) { return static_cast<uint8_t>(v); };
  return Instruction{b(code), b(fade), b(po), b(p1), b(p2), b(p3)};
}

TEST(InstrCatalogue, CodesBeyondTheTableAreSafeAndNamedByNumber) {
  for (int code : {-1, 129, 200, 255, 1000}) {
    EXPECT_FALSE(InstrDefFor(code).defined()) << code;
    EXPECT_EQ(Par1ShownRange(code), (IntRange{0, 0}));
    const Instruction unknown = In(code, 1, 5, 6, 7, 3);
    EXPECT_EQ(NormalisedSlot(unknown), unknown);
  }
  const std::vector<std::string> names{InstrListName(200), InstrListName(2), InstrListName(0),
                                       InstrListName(38)};
  EXPECT_EQ(names, (std::vector<std::string>{"Code 200", "Code 2", "-", "Set Level"}));
  // The pickers offer the last defined code, 127, but never 128.
  const std::vector<uint8_t>& picker = PickerCodes();
  EXPECT_EQ(
      std::pair(std::count(picker.begin(), picker.end(), 127), std::count(picker.begin(), picker.end(), 128)),
      std::pair(1L, 0L));
  EXPECT_EQ(PickerIndexOf(99), PickerIndexOf(96) + 3) << "the four acceleration steps side by side";
  // Every code with a time and its base gets the timing help, and only those.
  for (int code = 0; code < kInstrCodes; ++code) {
    const InstrDef& d = InstrDefFor(code);
    EXPECT_EQ(d.Kind == kKindTimed, d.Label2 == "Time" && d.Label3 == "Base") << code;
  }
}

TEST(CodeByte, OnlyNineteenToSixtyThreeWithBitFourAreFadeVariants) {
  const std::pair<int, SplitCode> cases[] = {
      {54, {38, 1}},  // Set Level with fade
      {16, {16, 0}}, {17, {17, 0}}, {18, {18, 0}}, {19, {3, 1}},  {25, {9, 1}},    {35, {35, 0}},
      {48, {32, 1}}, {63, {47, 1}}, {64, {64, 0}}, {80, {80, 0}}, {120, {120, 0}}, {0, {0, 0}},
  };
  for (const auto& [byte, split] : cases) EXPECT_EQ(SplitCodeByte(byte), split) << byte;
  // A fade flag that cannot travel is left out: Jump + 16 would read back as Feedback,
  // Event Input + 16 as Multibit 6.
  const std::pair<Instruction, int> combined[] = {
      {In(38, 1), 54}, {In(16, 0), 16}, {In(1, 1), 1}, {In(16, 1), 16}, {In(102, 1), 102}};
  for (const auto& [in, code] : combined) EXPECT_EQ(CombinedCode(in), code) << code;
}

TEST(WireSlot, SendSerialPacksHighBitsIntoPinOffsetPosition) {
  const Instruction in = In(kOpSendSerial2, 0, 0, 200, 100);
  ASSERT_EQ(EncodeSlot(in), (WireSlot{5, 1, 72, 100, 0}));
  EXPECT_EQ(DecodeSlot(WireSlot{5, 1, 72, 100, 0}), in);
  EXPECT_EQ(EncodeSlot(In(kOpSendSerial1, 0, 0, 255)), (WireSlot{4, 1, 127, 0, 0}));
  EXPECT_EQ(EncodeSlot(In(kOpSendSerial2, 0, 0, 0, 128)), (WireSlot{5, 2, 0, 0, 0}));
  // Received bytes keep only seven bits.
  EXPECT_EQ(DecodeSlot(WireSlot{0x80 | 54, 0x80 | 3, 0x80 | 20, 0x80, 0x81}), In(38, 1, 3, 20, 0, 1));
}

TEST(WireSlot, SlotsThatDoNotFitSevenBitsAreRefused) {
  for (const Instruction& in :
       {In(200, 0), In(128, 0), In(9, 0, 0, 128), In(9, 0, 200), In(102, 0, 0, 0, 64, 255)})
    EXPECT_FALSE(EncodeSlot(in).has_value()) << int(in.Opcode);
  EXPECT_TRUE(EncodeSlot(In(127, 0, 127, 127, 127, 127)).has_value());
}

// Whatever a Vorn sends (7-bit bytes; the packed P.O. of serial codes only has two bits)
// goes back to it unchanged.
TEST(WireSlot, RoundTripsEveryCodeByte) {
  for (int c = 0; c < 128; ++c) {
    const bool serial =
        SplitCodeByte(c).Opcode == kOpSendSerial1 || SplitCodeByte(c).Opcode == kOpSendSerial2;
    for (int v = 0; v < 128; ++v) {
      const WireSlot w{static_cast<uint8_t>(c), static_cast<uint8_t>(serial ? v % 4 : v),
                       static_cast<uint8_t>(v), static_cast<uint8_t>(127 - v), static_cast<uint8_t>(v / 3)};
      ASSERT_EQ(EncodeSlot(DecodeSlot(w)), w) << c << " " << v;
    }
  }
}

TEST(ParamEntry, PinOffsetLimitsAndStorage) {
  const struct {
    int Opcode, CurPin, Typed;
    EnteredParam Expected;
  } cases[] = {
      {9, 30, 5, {1, 1}},       // relative: pin 30 reaches pin 31 at most
      {9, 0, -3, {0, 0}},       // pin 0 cannot go lower
      {9, 20, 15, {11, 11}},    //
      {9, 20, -25, {-20, 12}},  // stored modulo 32
      {96, 7, -1, {-1, 127}},   // acceleration -1
      {99, 7, -5, {-1, 127}},   //
      {97, 7, 40, {31, 31}},    //
      {18, 25, 40, {31, 31}},   // MXpin is absolute
      {18, 25, -2, {0, 0}},     //
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EnterPinOffset(c.Opcode, c.CurPin, c.Typed), c.Expected)
        << c.Opcode << "/" << c.CurPin << "/" << c.Typed;
    // What is stored is shown again as it was entered (pin 20 + 12 is pin 0 again: -20).
    EXPECT_EQ(ShownPinOffset(c.Opcode, c.CurPin, c.Expected.Stored), c.Expected.Shown)
        << c.Opcode << "/" << c.CurPin << "/" << c.Typed;
  }
}

TEST(ParamEntry, Par1UsesCatalogueRangeAndOffset) {
  const struct {
    int Opcode, Typed;
    EnteredParam Expected;
  } cases[] = {
      {39, -64, {-64, 0}}, {39, 100, {63, 127}}, {100, 0, {0, 64}}, {38, 40, {31, 31}},
      {1, 12, {11, 11}},   {4, 300, {255, 255}}, {16, -1, {0, 0}},  {9, 127, {127, 127}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EnterPar1(c.Opcode, c.Typed), c.Expected) << c.Opcode << "/" << c.Typed;
  EXPECT_EQ(ShownPar1(39, 0), -64);
  EXPECT_EQ(ShownPar1(38, 20), 20);
  // A stored 0 shows as 0, except a servo position, which shows centred on 0.
  for (int code = 0; code < kInstrCodes; ++code) {
    const InstrDef& d = InstrDefFor(code);
    if (d.UsesPar1) {
      EXPECT_EQ(ShownPar1(code, 0), d.Label1.starts_with("Pos") ? -64 : 0) << code;
    }
  }
}

TEST(TimeText, TicksOfTwentyMillisecondsTimesEightToTheBase) {
  const struct {
    int Opcode, Par2, Par3;
    const char* Expected;
  } cases[] = {
      {102, 63, 3, "10:45.12"}, {102, 1, 0, "00:00.02"},     {102, 50, 0, "00:01.00"},
      {102, 0, 0, "00:00.00"},  {102, 255, 3, "43:31.20"},   {38, 63, 3, "00:00.00"},
      {63, 10, 0, "00:00.00"},  {64, 10, 0, "00:00.20"},     {102, 255, 4, "348:09.60"},
      {200, 1, 1, "00:00.16"},  {102, 255, 127, "--:--.--"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TimeText(c.Opcode, c.Par2, c.Par3), c.Expected) << c.Opcode << " " << c.Par2 << " " << c.Par3;
  }
}

}  // namespace
}  // namespace vorn
