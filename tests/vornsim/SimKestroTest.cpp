#include <gtest/gtest.h>

#include "SimSession.h"

namespace vorn::test {
namespace {

TEST(SimKestro, AnswersTheVersionQueriesAndRefusesARepeatedToggle) {
  SimSession k({"--kestro", "lintor", "--protocol", "3.1", "--iface-version", "1.020"}, false);
  ASSERT_TRUE(k.ok()) << k.sim.error();
  EXPECT_EQ(k.send({1, 2}), (ByteList{1, 2, 25, 0}));
  EXPECT_EQ(k.send({1, 10}), (ByteList{1, 10, 2, 8, 16}));

  // A frame whose toggle repeats the previous one gets the previous answer and counts as refused.
  k.sim.allowRefusals();
  k.toggle = !k.toggle;
  EXPECT_EQ(k.send({1, 2}), (ByteList{1, 10, 2, 8, 16}));
  ASSERT_EQ(k.sim.logLines("REFUSED ").size(), 1u);
  EXPECT_NE(k.sim.logLines("REFUSED ")[0].find("tunnel toggle not flipped"), std::string::npos);
}

// With extended addressing a tunnelled reply carries the address byte after the header, once;
// a command for another extended address gets an empty answer and nothing with the next poll.
TEST(SimKestro, TunnelledRepliesCarryTheExtendedAddress) {
  SimSession k({"--kestro", "lintor", "--xaddr", "7"}, false);
  ASSERT_TRUE(k.ok()) << k.sim.error();
  EXPECT_EQ(k.send({0, 96, 112 + 2, 7, 112, 0}), ByteList{});
  EXPECT_EQ(k.send({}), (ByteList{0, 96, 96 + 16 + 6, 7, 112, 0, 3, 0, 1, 7}));
  EXPECT_EQ(k.send({}), ByteList{}) << "delivered once";
  EXPECT_EQ(k.send({0, 96, 112 + 2, 8, 112, 0}), ByteList{}) << "another extended address";
  EXPECT_EQ(k.send({}), ByteList{});
}

}  // namespace
}  // namespace vorn::test
