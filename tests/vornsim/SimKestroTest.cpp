#include <gtest/gtest.h>

#include "SimSession.h"

namespace vorn::test {
namespace {

TEST(SimKestro, AnswersPollsAndTheVersionQueriesAndRefusesARepeatedToggle) {
  SimSession k({"--kestro", "lintor", "--protocol", "3.1", "--iface-version", "1.020"}, true);
  ASSERT_TRUE(k.ok()) << k.sim.error();
  k.port->write({40, 216});
  EXPECT_EQ(k.port->read(2), (ByteList{40, 216})) << "empty poll, toggle 0";
  k.port->write({104, 152});
  EXPECT_EQ(k.port->read(2), (ByteList{104, 152}));
  k.toggle = false;
  EXPECT_EQ(k.send({1, 2}), (ByteList{1, 2, 25, 0}));
  EXPECT_EQ(k.send({1, 10}), (ByteList{1, 10, 2, 8, 16}));

  // A frame whose toggle repeats the previous one gets the previous answer and counts as refused.
  k.sim.allowRefusals();
  k.toggle = !k.toggle;
  EXPECT_EQ(k.send({1, 2}), (ByteList{1, 10, 2, 8, 16}));
  ASSERT_EQ(k.sim.logLines("REFUSED ").size(), 1u);
  EXPECT_NE(k.sim.logLines("REFUSED ")[0].find("tunnel toggle not flipped"), std::string::npos);
}

// Twelve identity characters make a 17-byte tunnelled reply (a start byte of the 16..19 form);
// with extended addressing the reply carries the address byte after the header. A command for
// another extended address (or module) gets an empty answer and no reply with the next poll.
TEST(SimKestro, DeliversLongRepliesAndExtendedAddressesWithTheNextPoll) {
  SimSession k({"--kestro", "lintor", "--xaddr", "7"}, true);
  ASSERT_TRUE(k.ok()) << k.sim.error();
  const ByteList id{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L'};
  ByteList write{0, 96, 96 + 14, 96, 10};
  write.insert(write.end(), id.begin(), id.end());
  EXPECT_EQ(k.send(write), ByteList{});
  EXPECT_EQ(k.send({}), (ByteList{0, 96, 98, 96, 10}));
  EXPECT_EQ(k.send({}), ByteList{}) << "delivered once";
  EXPECT_EQ(k.send({0, 96, 112 + 2, 7, 112, 10}), ByteList{});
  ByteList expected{0, 96, 96 + 16 + 14, 7, 112, 10};
  expected.insert(expected.end(), id.begin(), id.end());
  EXPECT_EQ(k.send({}), expected);
  EXPECT_EQ(k.send({0, 96, 112 + 2, 8, 112, 10}), ByteList{}) << "another extended address";
  EXPECT_EQ(k.send({}), ByteList{});
}

TEST(SimKestro, SwitchesToTransparentModeAndThenSpeaksVornFrames) {
  SimSession k({"--kestro", "corvel"}, true);
  ASSERT_TRUE(k.ok()) << k.sim.error();
  EXPECT_EQ(k.send({1, 5, 16}), ByteList{});
  k.resync(0);
  k.port->write(vornFrame(0, true, {112, 0}));
  EXPECT_EQ(k.port->read(9), (ByteList{67, 230, 240, 128, 131, 128, 129, 135, 220}));
}

}  // namespace
}  // namespace vorn::test
