#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/FeedbackMonitor.h"
#include "link/Kestro.h"
#include "link/Link.h"
#include "link/QtSerialPort.h"

using namespace vorn;
using namespace vorn::test;

namespace {

// Our link through a real QSerialPort on the simulator's pseudo-terminal.
struct SimLink {
  explicit SimLink(std::vector<std::string> args) : sim(std::move(args)) {}
  bool open() { return sim.ok() && link.openDevice(sim.path()); }
  SimProcess sim;
  QtSerialPort port;
  RecordingPrompter prompter;
  Link link{port, SystemClock(), prompter};
};

TEST(LinkSim, MutedDeviceWaitsTheWindowWithoutSpinning) {
  SimLink s({"--mute"});
  ASSERT_TRUE(s.open()) << s.sim.error();
  const std::clock_t cpu0 = std::clock();
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_TRUE(s.link.Transact(true, {112, 0}));
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const double cpu = static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC;
  EXPECT_NEAR(wall, 2.0, 0.3);
  EXPECT_LT(cpu, 0.1) << "the wait must block, not poll";
}

TEST(LinkSim, TunnelEnablingReadAndMonitorThroughKestro) {
  SimLink s({"--kestro", "lintor", "--protocol", "3.2", "--module", "5"});
  ASSERT_TRUE(s.open()) << s.sim.error();
  s.link.setModuleAddress(5);
  const auto r = CheckKestroEnable(s.link, true, true);
  EXPECT_TRUE(r.checked);
  EXPECT_FALSE(r.setTMVisible);
  EXPECT_TRUE(s.link.Transact(true, {112, 10}));
  EXPECT_EQ(s.link.reply(0), 23);
  EXPECT_EQ(s.link.reply(3), 10);

  // The simulated Vorn answers each empty frame with a poll counter and its input states.
  FeedbackMonitor monitor{s.link};
  ASSERT_TRUE(monitor.start());
  for (int i = 0; i < 3; ++i) monitor.tick();
  ASSERT_TRUE(s.prompter.entries.empty()) << s.prompter.last();
  // Then the interface goes away: the monitor stops, and says why.
  s.sim.stop();
  monitor.tick();
  EXPECT_EQ(monitor.text(),
            "Start Monitoring\n<1> <0> <0> <0> \n<2> <0> <0> <0> \n<3> <0> <0> <0> \nMonitoring Stopped\n");
  ASSERT_EQ(s.prompter.entries.size(), 1u);
  EXPECT_NE(s.prompter.last().find("stopped working"), std::string::npos) << s.prompter.last();
}

}  // namespace
