#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/Instructions.h"

namespace vorn {
namespace {

TEST(InstrCatalogue, CodesBeyondTheTableAreSafeAndNamedByNumber) {
  for (int code : {-1, 129, 200, 255, 1000}) {
    EXPECT_FALSE(InstrDefFor(code).defined()) << code;
    EXPECT_EQ(Par1ShownRange(code), (IntRange{0, 0}));
    const Instruction unknown{static_cast<uint8_t>(code), 1, 5, 6, 7, 3};
    EXPECT_EQ(NormalisedSlot(unknown), unknown);
  }
  EXPECT_EQ(InstrListName(200), "Code 200");
  EXPECT_EQ(InstrListName(2), "Code 2");
  EXPECT_EQ(InstrListName(0), "-");
  EXPECT_EQ(InstrListName(38), "Set Level");
}

struct CodeByteCase {
  int Byte;
  SplitCode Expected;
};

TEST(CodeByte, OnlyNineteenToSixtyThreeWithBitFourAreFadeVariants) {
  const CodeByteCase cases[] = {
      {54, {38, 1}},  // Set Level with fade
      {16, {16, 0}}, {17, {17, 0}}, {18, {18, 0}}, {19, {3, 1}},  {25, {9, 1}},    {35, {35, 0}},
      {48, {32, 1}}, {63, {47, 1}}, {64, {64, 0}}, {80, {80, 0}}, {120, {120, 0}}, {0, {0, 0}},
  };
  for (const CodeByteCase& c : cases) EXPECT_EQ(SplitCodeByte(c.Byte), c.Expected) << c.Byte;
  EXPECT_EQ(CombinedCode(Instruction{38, 1, 0, 0, 0, 0}), 54);
  EXPECT_EQ(CombinedCode(Instruction{16, 0, 0, 0, 0, 0}), 16);
}

TEST(CodeByte, FadeFlagThatCannotTravelIsLeftOut) {
  // Jump + 16 would read back as Feedback, Event Input + 16 as Multibit 6.
  EXPECT_EQ(CombinedCode(Instruction{1, 1, 0, 0, 0, 0}), 1);
  EXPECT_EQ(CombinedCode(Instruction{16, 1, 0, 0, 0, 0}), 16);
  EXPECT_EQ(CombinedCode(Instruction{102, 1, 0, 0, 0, 0}), 102);
}

TEST(WireSlot, SendSerialPacksHighBitsIntoPinOffsetPosition) {
  const Instruction in{kOpSendSerial2, 0, 0, 200, 100, 0};
  const auto w = EncodeSlot(in);
  ASSERT_TRUE(w.has_value());
  EXPECT_EQ(*w, (WireSlot{5, 1, 72, 100, 0}));
  EXPECT_EQ(DecodeSlot(*w), in);
  EXPECT_EQ(*EncodeSlot(Instruction{kOpSendSerial1, 0, 0, 255, 0, 0}), (WireSlot{4, 1, 127, 0, 0}));
  EXPECT_EQ(*EncodeSlot(Instruction{kOpSendSerial2, 0, 0, 0, 128, 0}), (WireSlot{5, 2, 0, 0, 0}));
}

TEST(WireSlot, SlotsThatDoNotFitSevenBitsAreRefused) {
  EXPECT_FALSE(EncodeSlot(Instruction{200, 0, 0, 0, 0, 0}).has_value());
  EXPECT_FALSE(EncodeSlot(Instruction{128, 0, 0, 0, 0, 0}).has_value());
  EXPECT_FALSE(EncodeSlot(Instruction{9, 0, 0, 128, 0, 0}).has_value());
  EXPECT_FALSE(EncodeSlot(Instruction{9, 0, 200, 0, 0, 0}).has_value());
  EXPECT_FALSE(EncodeSlot(Instruction{102, 0, 0, 0, 64, 255}).has_value());
  EXPECT_TRUE(EncodeSlot(Instruction{127, 0, 127, 127, 127, 127}).has_value());
}

TEST(WireSlot, ReceivedBytesKeepOnlySevenBits) {
  EXPECT_EQ(DecodeSlot(WireSlot{0x80 | 54, 0x80 | 3, 0x80 | 20, 0x80, 0x81}),
            (Instruction{38, 1, 3, 20, 0, 1}));
}

// Every defined code, with and without fade where allowed, and every value of each
// parameter byte it can hold, goes to the wire and comes back unchanged.
TEST(WireSlot, ModelToWireToModelRoundTripsEveryCodeAndValue) {
  for (int code = 0; code < kInstrCodes; ++code) {
    const InstrDef& d = InstrDefFor(code);
    if (!d.defined()) continue;
    for (uint8_t fade = 0; fade <= (d.FadeAllowed ? 1 : 0); ++fade) {
      const bool serial = code == kOpSendSerial1 || code == kOpSendSerial2;
      const int top = serial ? 255 : 127;
      for (int byte = 0; byte < 4; ++byte) {
        for (int v = 0; v <= (byte == 0 || byte == 3 ? 127 : top); ++v) {
          Instruction in{static_cast<uint8_t>(code), fade, 0, 0, 0, 0};
          uint8_t* field[] = {&in.PinOffset, &in.Par1, &in.Par2, &in.Par3};
          if (serial && byte == 0) continue;  // P.O. carries the packed bits instead
          *field[byte] = static_cast<uint8_t>(v);
          const auto w = EncodeSlot(in);
          ASSERT_TRUE(w.has_value()) << code << " " << byte << " " << v;
          ASSERT_EQ(DecodeSlot(*w), in) << code << " " << byte << " " << v;
        }
      }
    }
  }
  for (int p1 = 0; p1 < 256; ++p1) {
    for (int p2 = 0; p2 < 256; ++p2) {
      const Instruction in{kOpSendSerial2, 0, 0, static_cast<uint8_t>(p1), static_cast<uint8_t>(p2), 3};
      ASSERT_EQ(DecodeSlot(*EncodeSlot(in)), in) << p1 << " " << p2;
    }
  }
}

// Whatever a Vorn sends (7-bit bytes; the packed P.O. of serial codes only has two bits)
// goes back to it unchanged.
TEST(WireSlot, WireToModelToWireRoundTripsEveryCodeByte) {
  for (int c = 0; c < 128; ++c) {
    const bool serial =
        SplitCodeByte(c).Opcode == kOpSendSerial1 || SplitCodeByte(c).Opcode == kOpSendSerial2;
    for (int v = 0; v < 128; ++v) {
      const WireSlot w{static_cast<uint8_t>(c), static_cast<uint8_t>(serial ? v % 4 : v),
                       static_cast<uint8_t>(v), static_cast<uint8_t>(127 - v), static_cast<uint8_t>(v / 3)};
      const auto back = EncodeSlot(DecodeSlot(w));
      ASSERT_TRUE(back.has_value()) << c << " " << v;
      ASSERT_EQ(*back, w) << c << " " << v;
    }
  }
}

struct PinOffsetCase {
  int Opcode;
  int CurPin;
  int Typed;
  EnteredParam Expected;
};

TEST(ParamEntry, PinOffsetLimitsAndStorage) {
  const PinOffsetCase cases[] = {
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
  for (const PinOffsetCase& c : cases) {
    EXPECT_EQ(EnterPinOffset(c.Opcode, c.CurPin, c.Typed), c.Expected)
        << c.Opcode << "/" << c.CurPin << "/" << c.Typed;
  }
}

struct ParCase {
  int Opcode;
  int Typed;
  EnteredParam Expected;
};

TEST(ParamEntry, Par1UsesCatalogueRangeAndOffset) {
  const ParCase cases[] = {
      {39, -64, {-64, 0}}, {39, 100, {63, 127}}, {100, 0, {0, 64}}, {38, 40, {31, 31}},
      {1, 12, {11, 11}},   {4, 300, {255, 255}}, {16, -1, {0, 0}},  {9, 127, {127, 127}},
  };
  for (const ParCase& c : cases)
    EXPECT_EQ(EnterPar1(c.Opcode, c.Typed), c.Expected) << c.Opcode << "/" << c.Typed;
  EXPECT_EQ(ShownPar1(39, 0), -64);
  EXPECT_EQ(ShownPar1(38, 20), 20);
}

struct TimeCase {
  int Opcode, Par2, Par3;
  const char* Expected;
};

TEST(TimeText, TicksOfTwentyMillisecondsTimesEightToTheBase) {
  const TimeCase cases[] = {
      {102, 63, 3, "10:45.12"}, {102, 1, 0, "00:00.02"},     {102, 50, 0, "00:01.00"},
      {102, 0, 0, "00:00.00"},  {102, 255, 3, "43:31.20"},   {38, 63, 3, "00:00.00"},
      {63, 10, 0, "00:00.00"},  {64, 10, 0, "00:00.20"},     {102, 255, 4, "348:09.60"},
      {200, 1, 1, "00:00.16"},  {102, 255, 127, "--:--.--"},
  };
  for (const TimeCase& c : cases) {
    EXPECT_EQ(TimeText(c.Opcode, c.Par2, c.Par3), c.Expected) << c.Opcode << " " << c.Par2 << " " << c.Par3;
  }
}

}  // namespace
}  // namespace vorn
