#include <gtest/gtest.h>

#include "SimSession.h"

namespace vorn::test {
namespace {

TEST(SimCommands, LayoutsShareTheSlotsAndAddressBytesSpillToTheNextPin) {
  SimSession s;
  ASSERT_TRUE(s.ok()) << s.sim.error();
  s.tell({'b', 7, 3});
  s.tell({'c', 7, 3, 8, 54, 1, 31, 0, 0});
  EXPECT_EQ(s.ask({'r', 7}), (ByteList{'r', 7, 3}));
  // Slot (3, 8) of layout 3 is slot (11, 2) of layout 2.
  s.tell({'b', 7, 2});
  EXPECT_EQ(s.ask({'s', 7, 11, 2}), (ByteList{'s', 7, 11, 2, 54, 1, 31, 0, 0}));

  s.tell({'f', 10, 10, 16, 93});  // DCC 2 + XDCC 1, serial 0, device pointer -3
  for (int pin : {10, 11}) {
    auto reply = s.ask({'v', static_cast<std::uint8_t>(pin)});
    ASSERT_TRUE(reply && reply->size() == 5u);
    ByteList got(reply->begin() + 2, reply->end());
    std::sort(got.begin(), got.end());  // the Vorn names each byte by its high bits, in any order
    EXPECT_EQ(got, pin == 10 ? (ByteList{10, 16, 93}) : (ByteList{9, 17, 64}));
  }
}

TEST(SimCommands, StoredAndActiveConfigurationsAreKeptApart) {
  SimSession s;
  ASSERT_TRUE(s.ok()) << s.sim.error();
  s.tell({'A', 6, 2, 5, 0, 4, 0, 31});  // PWM made active only
  EXPECT_EQ(s.ask({'q', 6}), (ByteList{'q', 6, 0})) << "flash still holds a clear pin";
  s.tell({0, 38, 6, 20});  // live PWM level: element 1 of the active reply follows it
  EXPECT_EQ(s.ask({'Q', 6}), (ByteList{'Q', 6, 2, 20, 0, 4, 0, 31}));
  s.tell({'a', 8, 4, 3, 1, 5, 3});
  EXPECT_EQ(s.ask({'q', 8}), (ByteList{'q', 8, 4, 3, 1, 5, 3}));
}

TEST(SimCommands, AnswersOnlyWhenAskedAndOnlyItsOwnModulesAndExtendedAddress) {
  SimSession s({"--modules", "0,3", "--xaddr", "5"});
  ASSERT_TRUE(s.ok()) << s.sim.error();
  s.write(vornFrame(0, true, {96, 10, 'X'}, /*reply=*/false));
  s.toggle = false;
  EXPECT_TRUE(s.read(1, 200).empty());
  EXPECT_EQ(s.ask({112, 10}, 0), (ByteList{112, 10, 'X'}));
  EXPECT_EQ(s.ask({112, 10}, 3), (ByteList{112, 10, 'V', 'O', 'R', 'N', '-', '3', '2'}))
      << "each module keeps its own state";
  EXPECT_FALSE(s.ask({112, 0}, 1, 200).has_value());
  s.resync(0);
  s.write(vornFrame(0, true, {112, 2}, true, 5));
  EXPECT_EQ(s.readFrame(), (ByteList{67, 243, 133, 240, 130, 133, check7({67, 243, 133, 240, 130, 133})}));
  s.write(vornFrame(0, false, {112, 2}, true, 6));
  EXPECT_TRUE(s.readFrame(200).empty());
}

}  // namespace
}  // namespace vorn::test
