#include <gtest/gtest.h>

#include "SimSession.h"

namespace vorn::test {
namespace {

// Every pin of the demonstration layout reads back as a well-formed configuration: programs
// that fit their layout, device pointers that stay on the board, configuration lengths that
// fit the pin type.
TEST(SimDemo, EveryPinReadsBackConsistently) {
  SimSession s({"--demo"});
  ASSERT_TRUE(s.ok()) << s.sim.error();
  int programmed = 0;
  for (std::uint8_t pin = 0; pin < 32; ++pin) {
    auto r = s.ask({'r', pin});
    ASSERT_TRUE(r);
    const int layout = (*r)[2];
    const int aspects = layout == 2 ? 12 : layout == 3 ? 4 : 0;
    const int slots = layout == 2 ? 3 : 9;
    if (aspects > 0) ++programmed;
    for (int a = 0; a < aspects; ++a) {
      for (int i = 0; i < slots; ++i) {
        auto slot = s.ask({'s', pin, static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(i)});
        ASSERT_TRUE(slot);
        ASSERT_EQ(slot->size(), 9u) << "pin " << int(pin) << " aspect " << a << " slot " << i;
      }
    }
    auto v = s.ask({'v', pin});
    ASSERT_TRUE(v);
    ASSERT_EQ(v->size(), 5u);
    int pointerBytes = 0;
    for (int k = 2; k < 5; ++k) {
      const int b = (*v)[k];
      if (b / 32 == 2) {
        ++pointerBytes;
        const int devicePin = ((b % 32) + pin) % 32;
        EXPECT_LE(devicePin, pin) << "pin " << int(pin);
      }
    }
    EXPECT_EQ(pointerBytes, 1);
    auto q = s.ask({'q', pin});
    ASSERT_TRUE(q);
    const int type = (*q)[2];
    const std::size_t expected = type == 1 ? 12 : type <= 3 && type >= 2 ? 6 : type >= 4 ? 5 : 1;
    EXPECT_EQ(q->size() - 2, expected) << "pin " << int(pin);
  }
  EXPECT_GE(programmed, 6);
  // The three-light signal: pins 1 and 2 point back to pin 0.
  auto v2 = s.ask({'v', 2});
  ASSERT_TRUE(v2);
  EXPECT_NE(std::find(v2->begin() + 2, v2->end(), 64 + 30), v2->end());
}

}  // namespace
}  // namespace vorn::test
