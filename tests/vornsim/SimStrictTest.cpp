#include <gtest/gtest.h>

#include "SimSession.h"

namespace vorn::test {
namespace {

ByteList palkFrame(int module, int c, int p1, int p2) {
  ByteList f{static_cast<std::uint8_t>(4 * module + 3), static_cast<std::uint8_t>(128 + c),
             static_cast<std::uint8_t>(128 + p1), static_cast<std::uint8_t>(128 + p2)};
  f.push_back(check7(f));
  return f;
}

// Each request below is one a Vorn cannot take: it gets no reply, is not carried out, and the
// log names the reason. The next good request is answered as usual.
TEST(SimStrict, RefusesWhatAVornCannotTakeAndSaysWhy) {
  struct Case {
    ByteList request;
    const char* reason;
  };
  const Case cases[] = {
      {{112, 0, 0}, "general read of 3 bytes"},
      {{112, 9}, "general item 9"},
      {{96, 4, 9}, "general item 4 with 1 values"},
      {{96, 0, 1, 2, 3, 4, 5, 6, 7, 8}, "erase without its code"},
      {{'r', 32}, "no pin 0..31"},
      {{'q', 4, 0}, "q of 3 bytes"},
      {{'s', 7, 0, 0}, "aspect 0 slot 0 outside layout 0"},
      {{'b', 7, 4}, "layout 4"},
      {{'d', 3, 0x12}, "initial-aspect byte 18"},
      {{'e', 3, 0x1F, 0x0F, 0x2F, 0x3F}, "event-off actions"},
      {{'f', 2, 16, 10, 93}, "address bytes"},
      {{'f', 2, 1, 0x30, 0x40}, "address bytes"},
      {{'f', 2, 16, 0x10, 0x40}, "address bytes"},  // a first byte past the sixteen groups
      {{'a', 2, 2, 1, 0, 4}, "configuration type 2 in 6 bytes, not 8"},
      {{'A', 2, 4, 1, 2, 3, 4, 5, 6}, "configuration type 4 in 9 bytes, not 7"},
      {{'a', 2, 1, 64, 70, 64, 24, 12, 40, 20, 74, 30, 56, 30}, "servo flags above 63"},
      {{0, 38, 2, 32}, "PWM level above 31"},
      {{0, 1, 2, 12}, "aspect above 11"},
      {{0, 55, 32, 0}, "pin 32"},
      {{0, 7, 2, 0}, "live operation 7"},
      {{90, 1, 2}, "unknown command 90"},
  };
  SimSession s;
  ASSERT_TRUE(s.ok()) << s.sim.error();
  s.sim.allowRefusals();
  s.tell({'b', 1, 3});
  std::size_t refused = 0;
  for (const Case& c : cases) {
    EXPECT_FALSE(s.ask(c.request, 0, 0)) << c.reason;
    ASSERT_TRUE(s.sim.waitForLog("REFUSED ", ++refused)) << c.reason;
    const std::string line = s.sim.logLines("REFUSED ").back();
    EXPECT_NE(line.find("reason=" + std::string(c.reason)), std::string::npos) << line;
  }
  EXPECT_TRUE(s.read(1, 100).empty()) << "a refused request gets no reply";
  EXPECT_EQ(s.ask({'r', 2}), (ByteList{'r', 2, 0})) << "nothing was carried out";
  EXPECT_EQ(s.ask({'q', 2}), (ByteList{'q', 2, 0}));
  EXPECT_EQ(s.sim.stop(), 3) << "--strict tells through the exit status";
}

// After the resynchronisation the closing empty frame carries toggle 0 and the next frame 1;
// a frame whose toggle repeats the previous one is the same frame again: it gets the previous
// reply, is not carried out a second time, and counts as refused.
TEST(SimStrict, TogglesAlternateFromTheResynchronisationOn) {
  SimSession s;
  ASSERT_TRUE(s.ok()) << s.sim.error();
  s.sim.allowRefusals();
  s.tell({96, 10, 'A'});
  s.toggle = !s.toggle;
  EXPECT_EQ(s.ask({96, 10, 'B'}), (ByteList{96, 10}));
  EXPECT_EQ(s.ask({112, 10}), (ByteList{112, 10, 'A'}));
  ASSERT_EQ(s.sim.logLines("REFUSED ").size(), 1u);
  EXPECT_NE(s.sim.logLines("REFUSED ")[0].find("toggle not flipped"), std::string::npos);

  s.write(kResyncBytes);  // and no closing frame: toggle 1 now repeats
  EXPECT_EQ(s.ask({112, 5}, 0, 200), std::nullopt);
  EXPECT_EQ(s.sim.logLines("REFUSED ").size(), 2u);

  // A Palk frame closes a resynchronisation as well; the next Vorn frame carries toggle 1.
  s.write(kResyncBytes);
  s.write(palkFrame(0, 0, 0, 0));
  s.toggle = true;
  EXPECT_EQ(s.ask({112, 5}), (ByteList{112, 5, 0}));
  EXPECT_EQ(s.sim.logLines("REFUSED ").size(), 2u);
}

// Palk commands of 64 and more set the bit of a Vorn header; they are still five-byte Palk
// frames. Live set-aspect by serial offset reaches pins past the first 32 offsets.
TEST(SimStrict, ReadsEveryPalkCommandAndServesSerialOffsetsPast31) {
  SimSession s;
  ASSERT_TRUE(s.ok()) << s.sim.error();
  s.tell({'f', 20, 0, 16 + 7, 64});
  s.tell({'f', 21, 0, 16 + 7, 64});
  for (int c : {2, 64, 66, 98, 100, 127}) s.write(palkFrame(1, c, 7, 30));
  ASSERT_TRUE(s.sim.waitForLog("PALK ", 6));
  const auto palk = s.sim.logLines("PALK ");
  EXPECT_EQ(palk[1], "PALK a=7 c=64 p1=7 p2=30");
  EXPECT_EQ(palk[5], "PALK a=7 c=127 p1=7 p2=30");
  s.tell({0, 0, 33, 5});  // pins 0..19 hold one offset each, pins 20 and 21 seven: 33 is pin 21's
  EXPECT_EQ(SimProcess::pinField(s.sim.dumpState(), 21, "aspect"), "5");
}

}  // namespace
}  // namespace vorn::test
