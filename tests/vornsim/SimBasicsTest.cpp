#include <gtest/gtest.h>

#include "RawPort.h"
#include "SimProcess.h"

namespace vorn::test {
namespace {

TEST(SimProcess, ServesAPseudoTerminalAndStopsOnSigterm) {
  SimProcess sim;
  ASSERT_TRUE(sim.ok()) << sim.error();
  EXPECT_EQ(sim.path().rfind("/dev/pts/", 0), 0u) << sim.path();
  EXPECT_TRUE(sim.running());
  EXPECT_NE(sim.stderrText().find("simulated Vorn (module 0) on " + sim.path()), std::string::npos);
  EXPECT_EQ(sim.stop(), 0);
  EXPECT_FALSE(sim.running());
}

TEST(SimProcess, ReportsAnUnknownOptionInsteadOfAPath) {
  SimProcess sim({"--no-such-option"});
  EXPECT_FALSE(sim.ok());
  EXPECT_NE(sim.error().find("unknown option"), std::string::npos) << sim.error();
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

}  // namespace
}  // namespace vorn::test
