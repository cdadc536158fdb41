#include <gtest/gtest.h>

#include "SimSession.h"
#include "link/QtSerialPort.h"

namespace vorn::test {
namespace {

TEST(SimProcess, ServesAPseudoTerminalAndReportsBadOptions) {
  SimProcess sim;
  ASSERT_TRUE(sim.ok()) << sim.error();
  EXPECT_EQ(sim.path().rfind("/dev/pts/", 0), 0u) << sim.path();
  EXPECT_NE(sim.stderrText().find("simulated Vorn (module 0) on " + sim.path()), std::string::npos);
  EXPECT_EQ(sim.stop(), 0);
  EXPECT_FALSE(sim.running());
  SimProcess bad({"--no-such-option"});
  EXPECT_FALSE(bad.ok());
  EXPECT_NE(bad.error().find("unknown option"), std::string::npos) << bad.error();
}

// The worked example: module 5, toggle 64, read general item 0. The reply carries the same
// start byte, header 224 + count and the version of the default state, 3.0.1.7.
TEST(SimFrames, AnswersTheVersionRequestOfTheAddressedModule) {
  SimProcess sim({"--module", "5"});
  ASSERT_TRUE(sim.ok()) << sim.error();
  RawPort port(sim.path());
  ASSERT_TRUE(port.isOpen());
  const ByteList request = vornFrame(5, true, {112, 0});
  ASSERT_EQ(request, (ByteList{87, 226, 240, 128, 215}));
  ASSERT_TRUE(port.write(request));
  EXPECT_EQ(port.read(9), (ByteList{87, 230, 240, 128, 131, 128, 129, 135, 200}));
}

TEST(SimLine, CorruptAndNoisyRepliesStillCarryAGoodCopy) {
  SimSession s({"--corrupt-every", "1", "--noise"});
  ASSERT_TRUE(s.ok()) << s.sim.error();
  s.port->write(vornFrame(0, s.toggle, {112, 5}));
  const ByteList noise = s.port->read(3);
  ASSERT_EQ(noise.size(), 3u);
  for (auto b : noise) EXPECT_GE(b, 128);
  const ByteList first = s.readFrame();
  const ByteList second = s.readFrame();
  ASSERT_EQ(first.size(), 6u);
  EXPECT_NE(first.back(), check7(ByteList(first.begin(), first.end() - 1)));
  EXPECT_GE(first.back(), 128) << "still a byte with bit 7 set";
  EXPECT_EQ(second.back(), check7(ByteList(second.begin(), second.end() - 1)));
}

TEST(SimLine, PerRequestFaultsHitOnlyTheMatchingRequests) {
  SimSession s({"--ignore-request", "112,10", "--short-reply", "112,4", "--wrong-echo", "116"});
  ASSERT_TRUE(s.ok()) << s.sim.error();
  EXPECT_FALSE(s.ask({112, 10}, 0, 300).has_value());
  EXPECT_EQ(s.ask({112, 4}), (ByteList{112, 4, 1}));
  EXPECT_EQ(s.ask({116, 3}), (ByteList{116, 4, 0x7F, 0x00, 0x11, 0x22, 0x33}));
  EXPECT_EQ(s.ask({112, 12}), (ByteList{112, 12, 1, 0})) << "others are untouched";
}

TEST(SimLine, VanishesAfterTheGivenNumberOfFramesOrWithTheHost) {
  SimSession s({"--vanish-after", "3"});  // the closing empty frame counts
  ASSERT_TRUE(s.ok()) << s.sim.error();
  EXPECT_TRUE(s.ask({112, 0}).has_value());
  s.port->write(vornFrame(0, s.toggle, {112, 0}));
  EXPECT_TRUE(s.port->read(1, 2000).empty());
  EXPECT_TRUE(s.port->hungUp()) << "the host sees the line go away";
  EXPECT_TRUE(s.sim.waitForExit(2000));
  EXPECT_EQ(s.sim.exitStatus(), 0);

  SimProcess sim({"--exit-on-hup"});
  ASSERT_TRUE(sim.ok()) << sim.error();
  {
    RawPort port(sim.path());
    ASSERT_TRUE(port.isOpen());
    ASSERT_TRUE(sim.waitForLog("HOST-OPEN"));
  }
  EXPECT_TRUE(sim.waitForExit(2000));
  EXPECT_EQ(sim.exitStatus(), 0);
}

// The host opens and closes the port again and again with odd parity, as the program does;
// a pty keeps the previous session's settings unless the simulator puts them back.
TEST(SimLine, HostCanReopenWithOddParityAndFindsNoStaleBytes) {
  SimProcess sim({"--latency-ms", "100"});
  ASSERT_TRUE(sim.ok()) << sim.error();
  QtSerialPort port;
  port.setDevice(sim.path());
  port.setBaudRate(19200);
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(port.open()) << "round " << round << ": " << port.errorText();
    const ByteList frame = vornFrame(0, true, {112, 0});
    ASSERT_TRUE(port.writeBytes(frame.data(), frame.size()));
    port.close();  // before the delayed reply is sent
    ASSERT_TRUE(sim.waitForLog("HOST-CLOSED", static_cast<std::size_t>(round + 1)));
  }
  ASSERT_TRUE(port.open()) << port.errorText();
  EXPECT_FALSE(port.waitForData(300)) << "a reply meant for a closed session was delivered";
  port.close();
}

}  // namespace
}  // namespace vorn::test
