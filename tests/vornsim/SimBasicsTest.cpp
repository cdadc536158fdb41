#include <gtest/gtest.h>

#include <algorithm>

#include "SimSession.h"
#include "link/QtSerialPort.h"

namespace vorn::test {
namespace {

// What it says at start and its option errors: cli/transcripts/usage.txt and
// vornsim/transcripts/sessions.txt.
// The worked example: module 5, toggle 64, read general item 0. The reply carries the same
// start byte, header 224 + count and the version of the default state, 3.0.1.7.
TEST(SimFrames, AnswersTheVersionRequestOfTheAddressedModule) {
  SimSession s({"--module", "5"}, false);
  ASSERT_TRUE(s.ok()) << s.sim.error();
  const ByteList request = vornFrame(5, true, {112, 0});
  ASSERT_EQ(request, (ByteList{87, 226, 240, 128, 215}));
  s.write(request);
  EXPECT_EQ(s.read(9), (ByteList{87, 230, 240, 128, 131, 128, 129, 135, 200}));
  ASSERT_TRUE(s.sim.waitForLog("REPLY ", 1));
  EXPECT_NE(s.sim.logLines("REPLY ").back().find("raw=87,230,240,128,131,128,129,135,200"), std::string::npos)
      << s.sim.logLines("REPLY ").back();
}

TEST(SimLine, CorruptAndNoisyRepliesStillCarryAGoodCopy) {
  SimSession s({"--corrupt-every", "1", "--noise"});
  ASSERT_TRUE(s.ok()) << s.sim.error();
  s.write(vornFrame(0, s.toggle, {112, 5}));
  const ByteList noise = s.read(3);
  EXPECT_EQ(std::count_if(noise.begin(), noise.end(), [](auto b) { return b >= 128; }), 3);
  for (bool good : {false, true}) {
    const ByteList f = s.readFrame();
    ASSERT_EQ(f.size(), 6u);
    EXPECT_GE(f.back(), 128) << "still a byte with bit 7 set";
    EXPECT_EQ(f.back() == check7(ByteList(f.begin(), f.end() - 1)), good);
  }
}

// The host closes the port before a delayed reply is sent and opens it again (with odd parity,
// as the program does): nothing of the old session may arrive.
TEST(SimLine, HostReopeningFindsNoStaleBytes) {
  SimProcess sim({"--latency-ms", "100"});
  ASSERT_TRUE(sim.ok()) << sim.error();
  QtSerialPort port;
  port.setDevice(sim.path());
  ASSERT_TRUE(port.open()) << port.errorText();
  const ByteList frame = vornFrame(0, true, {112, 0});
  ASSERT_TRUE(port.writeBytes(frame.data(), frame.size()));
  port.close();
  ASSERT_TRUE(sim.waitForLog("HOST-CLOSED"));
  ASSERT_TRUE(port.open()) << port.errorText();
  EXPECT_FALSE(port.waitForData(300)) << "a reply meant for a closed session was delivered";
}

}  // namespace
}  // namespace vorn::test
