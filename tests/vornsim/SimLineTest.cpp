#include <gtest/gtest.h>

#include <chrono>

#include "SimSession.h"
#include "link/QtSerialPort.h"

namespace vorn::test {
namespace {

using Ms = std::chrono::milliseconds;

TEST(SimLine, DropsARequestWithABadCheckByte) {
  SimSession s;
  ASSERT_TRUE(s.ok()) << s.sim.error();
  ByteList bad = vornFrame(0, true, {112, 0});
  bad.back() ^= 1;
  s.port->write(bad);
  EXPECT_TRUE(s.port->read(1, 200).empty());
  EXPECT_EQ(s.sim.logLines("BADSUM").size(), 1u);
  EXPECT_TRUE(s.ask({112, 0}).has_value()) << "the next good frame is answered";
}

TEST(SimLine, CorruptEverySendsABadCopyFirst) {
  SimSession s({"--corrupt-every", "2"});
  ASSERT_TRUE(s.ok()) << s.sim.error();
  EXPECT_TRUE(s.ask({112, 5}).has_value());
  s.port->write(vornFrame(0, s.toggle, {112, 5}));
  const ByteList first = s.readFrame();
  const ByteList second = s.readFrame();
  ASSERT_EQ(first.size(), 6u);
  ASSERT_EQ(second.size(), 6u);
  EXPECT_NE(first.back(), check7(ByteList(first.begin(), first.end() - 1)));
  EXPECT_EQ(second.back(), check7(ByteList(second.begin(), second.end() - 1)));
  EXPECT_GE(first.back(), 128) << "still a byte with bit 7 set";
}

TEST(SimLine, NoisePrecedesEveryReplyWithBytesAboveBit7) {
  SimSession s({"--noise"});
  ASSERT_TRUE(s.ok()) << s.sim.error();
  s.port->write(vornFrame(0, true, {112, 5}));
  const ByteList got = s.port->read(8);
  ASSERT_EQ(got.size(), 8u);
  for (int i = 0; i < 3; ++i) EXPECT_GE(got[i], 128);
  EXPECT_EQ(got[3], 67) << "then the reply's start byte";
}

TEST(SimLine, MuteNeverAnswersButStillStores) {
  SimSession s({"--mute"});
  ASSERT_TRUE(s.ok()) << s.sim.error();
  s.port->write(vornFrame(0, true, {96, 5, 3}));
  EXPECT_FALSE(s.ask({112, 5}, 0, 200).has_value());
  ASSERT_TRUE(s.sim.waitForLog("VORN ", 2));
  EXPECT_TRUE(s.sim.logLines("REPLY").empty());
}

TEST(SimLine, LatencyDelaysTheReply) {
  SimSession s({"--latency-ms", "300"});
  ASSERT_TRUE(s.ok()) << s.sim.error();
  const auto t0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(s.ask({112, 0}).has_value());
  const auto took = std::chrono::steady_clock::now() - t0;
  EXPECT_GE(took, Ms(300));
  EXPECT_LT(took, Ms(1000));
}

// 9600 bit/s at 11 bits per byte: 5 request bytes + 9 reply bytes take at least 16 ms.
TEST(SimLine, BaudPacesBothDirections) {
  SimSession s({"--baud", "9600"});
  ASSERT_TRUE(s.ok()) << s.sim.error();
  ASSERT_TRUE(s.ask({112, 5}).has_value());  // let the resync bytes pass first
  const auto t0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(s.ask({112, 0}).has_value());
  const auto took = std::chrono::steady_clock::now() - t0;
  EXPECT_GE(took, std::chrono::microseconds(14 * 11 * 1000000 / 9600));
  EXPECT_LT(took, Ms(200));
}

TEST(SimLine, RecordsPalkFramesAndTheResync) {
  SimSession s;
  ASSERT_TRUE(s.ok()) << s.sim.error();
  ByteList palk{3 + 4 * 15, 128 + 10, 128 + 7, 128 + 30};
  palk.push_back(check7(palk));
  s.port->write(palk);
  ASSERT_TRUE(s.sim.waitForLog("PALK "));
  EXPECT_EQ(s.sim.logLines("PALK ")[0], "PALK a=63 c=10 p1=7 p2=30");
  EXPECT_EQ(s.sim.logLines("RESYNC").size(), 1u);
}

TEST(SimLine, VanishesAfterTheGivenNumberOfFrames) {
  SimSession s({"--vanish-after", "2"});
  ASSERT_TRUE(s.ok()) << s.sim.error();
  EXPECT_TRUE(s.ask({112, 0}).has_value());
  s.port->write(vornFrame(0, s.toggle, {112, 0}));
  EXPECT_TRUE(s.port->read(1, 2000).empty());
  EXPECT_TRUE(s.port->hungUp()) << "the host sees the line go away";
  EXPECT_TRUE(s.sim.waitForExit(2000));
  EXPECT_EQ(s.sim.exitStatus(), 0);
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

namespace vorn::test {
namespace {

TEST(SimLine, PerRequestFaultsHitOnlyTheMatchingRequests) {
  SimSession s({"--ignore-request", "112,10", "--short-reply", "112,4", "--wrong-echo", "116"});
  ASSERT_TRUE(s.ok()) << s.sim.error();
  EXPECT_FALSE(s.ask({112, 10}, 0, 300).has_value());
  EXPECT_EQ(s.ask({112, 4}), (ByteList{112, 4, 1}));
  EXPECT_EQ(s.ask({116, 3}), (ByteList{116, 4, 0x7F, 0x00, 0x11, 0x22, 0x33}));
  EXPECT_EQ(s.ask({112, 12}), (ByteList{112, 12, 1, 0})) << "others are untouched";
}

}  // namespace
}  // namespace vorn::test

namespace vorn::test {
namespace {

TEST(SimLine, ExitOnHupEndsWithTheHostsSession) {
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

}  // namespace
}  // namespace vorn::test
