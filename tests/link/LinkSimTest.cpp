#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/FeedbackMonitor.h"
#include "link/Kestro.h"
#include "link/Link.h"
#include "link/PortList.h"
#include "link/QtSerialPort.h"

using namespace vorn;
using namespace vorn::test;

namespace {

double CpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Our link through a real QSerialPort on the simulator's pseudo-terminal.
struct SimLink {
  explicit SimLink(std::vector<std::string> args) : sim(std::move(args)) {}
  bool open() { return sim.ok() && link.openDevice(sim.path()); }
  SimProcess sim;
  QtSerialPort port;
  RecordingPrompter prompter;
  Link link{port, SystemClock(), prompter};
};

TEST(LinkSim, ReadsGeneralSettingsWithAlternatingToggles) {
  SimLink s({});
  ASSERT_TRUE(s.open()) << s.sim.error() << s.port.errorText();
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(s.link.Transact(true, {112, static_cast<uint8_t>(i % 9)})) << i;
    ASSERT_TRUE(s.link.ReplyOk) << i;
    EXPECT_EQ(s.link.reply(2), 112);
    EXPECT_EQ(s.link.reply(3), i % 9);
  }
  EXPECT_TRUE(s.prompter.entries.empty());
  ASSERT_TRUE(s.sim.waitForLog("VORN ", 51));
  const auto frames = s.sim.logLines("VORN ");
  EXPECT_NE(frames[0].find("t=0"), std::string::npos) << frames[0];  // the resync empty frame
  EXPECT_NE(frames[1].find("t=1"), std::string::npos) << frames[1];
  EXPECT_NE(frames[2].find("t=0"), std::string::npos) << frames[2];
}

TEST(LinkSim, LineFaultsStillGiveGoodReplies) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--corrupt-every", "1"}, std::vector<std::string>{"--noise"},
        std::vector<std::string>{"--latency-ms", "300"},
        std::vector<std::string>{"--module", "9", "--baud", "9600"}}) {
    SimLink s(args);
    if (args[0] == "--module") {
      s.link.setModuleAddress(9);
      s.link.setBitRateIndex(0);
    }
    ASSERT_TRUE(s.open()) << args[0] << s.sim.error();
    for (int i = 0; i < 3; ++i) {
      s.link.Transact(true, {112, 0});
      EXPECT_TRUE(s.link.ReplyOk) << args[0];
    }
    EXPECT_TRUE(s.prompter.entries.empty()) << args[0] << s.prompter.last();
  }
}

TEST(LinkSim, MutedDeviceWaitsTheWindowWithoutSpinning) {
  SimLink s({"--mute"});
  ASSERT_TRUE(s.open()) << s.sim.error();
  const double cpu0 = CpuSeconds();
  const double t0 = WallSeconds();
  EXPECT_TRUE(s.link.Transact(true, {112, 0}));
  const double wall = WallSeconds() - t0;
  const double cpu = CpuSeconds() - cpu0;
  EXPECT_FALSE(s.link.ReplyOk);
  EXPECT_NEAR(wall, 2.0, 0.3);
  EXPECT_LT(cpu, 0.1) << "the wait must block, not poll";
  EXPECT_EQ(s.prompter.texts(),
            std::vector<std::string>{"No response received, resetting bidirectional communication"});
  EXPECT_FALSE(s.link.opts.CheckVornBD);
}

TEST(LinkSim, PortVanishingMidTransactionClosesItAndReportsOnce) {
  SimLink s({"--vanish-after", "3"});
  ASSERT_TRUE(s.open()) << s.sim.error();
  ASSERT_TRUE(s.link.Transact(true, {112, 0}));  // frames 1 (resync empty frame) and 2
  ASSERT_TRUE(s.link.ReplyOk);
  const double t0 = WallSeconds();
  EXPECT_FALSE(s.link.Transact(true, {112, 1}));
  EXPECT_LT(WallSeconds() - t0, 2.5);
  EXPECT_FALSE(s.link.ReplyOk);
  EXPECT_FALSE(s.port.isOpen());
  ASSERT_EQ(s.prompter.entries.size(), 1u) << s.prompter.last();
  EXPECT_NE(s.prompter.last().find(s.sim.path()), std::string::npos) << s.prompter.last();
  s.prompter.clear();
  EXPECT_FALSE(s.link.Transact(true, {112, 1}));
  EXPECT_EQ(s.prompter.texts(), std::vector<std::string>{"Select communications port"});
}

TEST(LinkSim, TunnelEnablingAndReadsThroughKestro) {
  SimLink s({"--kestro", "lintor", "--protocol", "3.2", "--module", "5"});
  ASSERT_TRUE(s.open()) << s.sim.error();
  s.link.setModuleAddress(5);
  const auto r = CheckKestroEnable(s.link, true, true);
  EXPECT_TRUE(r.checked);
  EXPECT_FALSE(r.setTMVisible);
  ASSERT_TRUE(s.prompter.entries.empty()) << s.prompter.last();
  for (uint8_t item : {0, 1, 10}) {
    EXPECT_TRUE(s.link.Transact(true, {112, item}));
    ASSERT_TRUE(s.link.ReplyOk);
    EXPECT_EQ(s.link.reply(0), 23);
    EXPECT_EQ(s.link.reply(2), 112);
    EXPECT_EQ(s.link.reply(3), item);
  }
  EXPECT_TRUE(s.prompter.entries.empty()) << s.prompter.last();
  EXPECT_NE(s.link.log.text().find("< "), std::string::npos);
}

TEST(LinkSim, MonitorListsFeedbackThroughTheKestroTunnel) {
  SimLink s({"--kestro", "lintor", "--module", "5"});
  ASSERT_TRUE(s.open()) << s.sim.error();
  s.link.setModuleAddress(5);
  s.link.opts.CheckKestro = true;
  s.link.TunnelToggle = 1;
  FeedbackMonitor monitor{s.link};
  ASSERT_TRUE(monitor.start());
  for (int i = 0; i < 3; ++i) monitor.tick();
  monitor.stop();
  // The simulated Vorn answers each empty frame with a poll counter and its input states.
  EXPECT_EQ(monitor.text(),
            "Start Monitoring\n<1> <0> <0> <0> \n<2> <0> <0> <0> \n<3> <0> <0> <0> \nMonitoring Stopped\n");
  EXPECT_TRUE(s.prompter.entries.empty()) << s.prompter.last();
}

TEST(LinkSim, WrongExtendedAddressThroughTunnelIsUnusable) {
  SimLink s({"--kestro", "corvel", "--reply-xaddr", "9"});
  ASSERT_TRUE(s.open()) << s.sim.error();
  ASSERT_TRUE(CheckKestroEnable(s.link, true, true).checked) << s.prompter.last();
  s.link.opts.CheckXaddress = true;
  s.link.opts.ExtAddress = 7;
  s.link.Transact(true, {112, 0});
  EXPECT_EQ(s.link.reply(1), 0);
  EXPECT_EQ(s.prompter.texts(),
            std::vector<std::string>{"Incorrect eXtended Address byte \nReceived 9 Expected 7"});
}

TEST(LinkSim, OldKestroIsRefusedAndLintorSwitchedToTransparentMode) {
  SimLink s({"--kestro", "lintor", "--protocol", "3.1", "--iface-version", "1.020"});
  ASSERT_TRUE(s.open()) << s.sim.error();
  EXPECT_FALSE(CheckKestroEnable(s.link, true, true).checked);
  EXPECT_EQ(s.prompter.texts(),
            std::vector<std::string>{"Your system does not support this function\nProtocol = 3.100"});
  s.prompter.clear();
  EXPECT_TRUE(SetTransparentMode(s.link));
  EXPECT_EQ(s.prompter.texts(), std::vector<std::string>{"Your Lintor has been put in Transparent Mode"});
  ASSERT_TRUE(s.sim.waitForLog("TRANSPARENT"));
  // From now on the interface passes Vorn frames straight through.
  s.prompter.clear();
  s.link.Transact(true, {112, 0});
  EXPECT_TRUE(s.link.ReplyOk) << s.prompter.last();
}

TEST(LinkSim, PortListNumbersCandidatesAndExplainsFailures) {
  SimLink s({});
  ASSERT_TRUE(s.sim.ok()) << s.sim.error();
  const std::string missing = "/nonexistent/ttyVORN0";
  const char* old = std::getenv("VORNCONFIG_PORTS");
  const std::string saved = old ? old : "";
  setenv("VORNCONFIG_PORTS", (missing + ":" + s.sim.path() + ":" + s.sim.path()).c_str(), 1);
  const PortListing l = ProbePorts();
  if (old)
    setenv("VORNCONFIG_PORTS", saved.c_str(), 1);
  else
    unsetenv("VORNCONFIG_PORTS");

  ASSERT_FALSE(l.entries.empty());
  EXPECT_EQ(l.entries[0].number, 2);
  EXPECT_EQ(l.entries[0].text, "2  " + s.sim.path());
  EXPECT_EQ(PortNumberOfText(l.entries[0].text), 2);
  for (size_t i = 1; i < l.entries.size(); ++i) EXPECT_NE(l.entries[i].path, s.sim.path());  // listed once
  ASSERT_FALSE(l.failures.empty());
  EXPECT_EQ(l.failures[0].number, 1);
  EXPECT_EQ(l.failures[0].path, missing);
  EXPECT_FALSE(l.failures[0].reason.empty());

  // The probe left the port closed and usable.
  ASSERT_TRUE(s.open());
  s.link.Transact(true, {112, 0});
  EXPECT_TRUE(s.link.ReplyOk);
}

}  // namespace
