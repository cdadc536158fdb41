// The jobs and the general-settings routines against vornsim: what is written is stored by the
// device side, read back and verified, directly, through the Kestro tunnel and on a noisy line;
// and a port that vanishes mid-job. The reply window is timed in the link tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "PinTestModel.h"
#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "files/ConfigFile.h"
#include "link/QtSerialPort.h"
#include "model/GeneralSettingsRules.h"
#include "operations/EventControl.h"
#include "operations/General.h"
#include "operations/JobPlan.h"
#include "operations/Jobs.h"
#include "operations/PinTransfer.h"
#include "operations/Session.h"

namespace vorn {
namespace {

// A session on vornsim over a real pseudo-terminal, with the job runner the window uses.
struct SimJobRig {
  QtSerialPort port;
  test::RecordingPrompter prompter;
  Session s{port, SystemClock(), prompter};
  JobRunner jobs{s};
  std::unique_ptr<test::SimProcess> sim;
  std::string shownReport;

  SimJobRig() {
    s.onShowReport = [this] { shownReport = s.report.text(); };
  }
  // Replaces the simulator behind the session by a fresh one and opens it.
  bool attach(std::vector<std::string> args) {
    s.link.closePort();
    sim = std::make_unique<test::SimProcess>(std::move(args));
    return sim->ok() && s.link.openDevice(sim->path());
  }
  // Runs one job the way a button click and the next tick would; true when it succeeded.
  bool click(const std::string& name) { return jobs.request(name) && jobs.tick() && jobs.lastResult(); }
};

// Data bytes of each frame the simulator received since line `from` of its log.
std::vector<std::string> FramesSince(const test::SimProcess& sim, size_t from) {
  std::vector<std::string> frames;
  const auto lines = sim.logLines("VORN ");
  for (size_t k = from; k < lines.size(); ++k) {
    const size_t at = lines[k].find("data=");
    frames.push_back(lines[k].substr(at + 5, lines[k].find(' ', at) - at - 5));
  }
  return frames;
}

TEST(JobsSimTest, WriteAllThenReadAllThenVerifyAllEndsInVerifyOk) {
  const std::vector<std::vector<std::string>> sims{
      {}, {"--kestro", "lintor"}, {"--corrupt-every", "5", "--noise"}};
  for (const auto& args : sims) {
    SCOPED_TRACE(args.empty() ? "direct" : args[0]);
    SimJobRig r;
    ASSERT_TRUE(r.attach(args)) << r.sim->error();
    // A message means the test has failed: the job ends after the pin it is at.
    r.s.onExchange = [&r] {
      if (!r.prompter.entries.empty()) r.s.requestStop();
    };
    const bool tunnel = !args.empty() && args[0] == "--kestro";
    r.s.link.opts.CheckKestro = tunnel;
    r.s.link.TunnelToggle = 1;
    test::FillFullConfiguration(r.s.model, r.s.ec);
    r.s.model.PalkFlexStart = 100;
    r.s.general = test::DistinctiveGeneral();
    const ConfigModel written = r.s.model;
    ASSERT_TRUE(r.click("WriteAll") && r.prompter.entries.empty()) << r.prompter.last();
    EXPECT_EQ(r.s.exchanges(), PlannedExchanges("WriteAll", r.s));
    const auto sent = FramesSince(*r.sim, 0);
    // After the enable maps, the address settings go last: they may redirect everything else.
    const std::vector<std::string> last{"96,11,", "96,8,", "96,3,", "96,2,"};
    for (size_t k = 0; k < last.size() && args.empty(); ++k)
      EXPECT_EQ(sent.at(sent.size() - 4 + k).rfind(last[k], 0), 0u) << sent.at(sent.size() - 4 + k);
    EXPECT_TRUE(std::none_of(sent.begin(), sent.end(), [](auto& f) { return f.rfind("112,", 0) == 0; }));

    r.s.model = ConfigModel{};
    r.s.general = GeneralSettings{};
    r.s.ec = EventControlState{};
    ASSERT_TRUE(r.click("ReadAll") && r.prompter.entries.empty()) << r.prompter.last();
    EXPECT_EQ(r.s.exchanges(), PlannedExchanges("ReadAll", r.s));
    GeneralSettings got = r.s.general;
    EXPECT_EQ(got.VersionText, "3.0.1.7");
    got.VersionText = GeneralSettings{}.VersionText;
    EXPECT_EQ(got, test::DistinctiveGeneral());
    EXPECT_EQ(r.s.model.PalkFlexStart, 100);
    // Event actions and enable maps: Verify All below, on top of their byte tables.
    for (int p = 0; p < kPinsInUse; ++p) {
      PinData pin = r.s.model.pin(p);
      pin.LiveLevel = written.pin(p).LiveLevel;  // a read sets a servo's live level from its start position
      EXPECT_TRUE(pin == written.pin(p)) << "pin " << p;
    }
    ASSERT_TRUE(r.click("VerifyAll")) << r.s.report.text();
    EXPECT_EQ(r.s.exchanges(), PlannedExchanges("VerifyAll", r.s));
    EXPECT_EQ(r.shownReport.substr(r.shownReport.size() - 11), "\r\nVerify OK");
    EXPECT_TRUE(r.prompter.entries.empty()) << r.prompter.last();
    EXPECT_EQ(r.sim->logLines("VORN ").back().find("via=tunnel") != std::string::npos, tunnel);
    if (!args.empty()) continue;

    // A general setting that differs stops Verify All before event control and pins.
    r.s.general.IDString = "OTHER";
    EXPECT_FALSE(r.click("VerifyAll"));
    EXPECT_EQ(r.shownReport.find("Start EC Verification"), std::string::npos) << r.shownReport;
    EXPECT_EQ(r.shownReport.substr(r.shownReport.size() - 22), "\r\nVerification Stopped");
    r.s.general.IDString = test::DistinctiveGeneral().IDString;
    // A device changed behind our back: the pin verification names each difference.
    r.s.model.pin(30).InitAspect = 0;
    r.s.model.instr(9, 4, 1).Par1 ^= 1;
    EXPECT_FALSE(r.click("VerifyAll"));
    EXPECT_NE(r.shownReport.find("Pin 10: Aspect 4 does not compare\r\nPin 31: Init does not compare\r\n"),
              std::string::npos)
        << r.shownReport;
    EXPECT_EQ(r.shownReport.substr(r.shownReport.size() - 22), "\r\nVerification Stopped");

    // Erase, confirmed twice, takes the device back to its start values.
    r.prompter.answers = {true, true};
    ASSERT_TRUE(EraseFlash(r.s));
    ASSERT_TRUE(r.sim->waitForLog("ERASED m=0")) << "the simulator did not take the code";
    EXPECT_TRUE(r.s.link.opts.CheckVornBD);
    ASSERT_TRUE(ReadGenID(r.s));
    EXPECT_EQ(r.s.general.IDString, "");
  }
}

// A stop asked while a pin is half done takes effect before the next exchange: the simulator
// sees no request after the one in progress. A stopped Read All leaves the session as it was;
// a stopped Write All names what of the pin went out.
TEST(JobsSimTest, StopTakesEffectBetweenTwoExchanges) {
  SimJobRig r;
  ASSERT_TRUE(r.attach({}));
  test::FillFullConfiguration(r.s.model, r.s.ec);
  const ConfigModel full = r.s.model;
  ASSERT_TRUE(r.click("WriteAll")) << r.prompter.last();
  const int pin0 = PlannedExchanges("WritePin", r.s);  // CurPin is pin 0

  struct Case {
    const char* job;
    int stopAt;  // exchanges sent when the stop is asked: inside pin 2 (from 1), after its layout
    const char* said;
  };
  const Case cases[] = {
      {"ReadAll", 12 + pin0 + 2, "Read All stopped; nothing was changed"},
      {"WriteAll", 8 + pin0 + 3 + 3,
       "Write All stopped in pin 2 of 32 after its aspect 0 slot 2: the general settings except the "
       "addresses, "
       "pin 1 and part of pin 2 were written"},
      {"ReadAllPins", pin0 + 2, "Read All Devices stopped after pin 1 of 32"},
      {"ReadPin", 2, "Read Pin stopped"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.job);
    r.s.model = full;
    r.s.model.pin(5).Description = "kept";  // not on the Vorn: a read that ran would clear it
    const ConfigModel before = r.s.model;
    r.prompter.entries.clear();
    const size_t from = r.sim->logLines("VORN ").size();
    r.s.onExchange = [&] {
      if (r.s.exchanges() == c.stopAt) r.s.requestStop();
    };
    EXPECT_FALSE(r.click(c.job));
    r.s.onExchange = nullptr;
    EXPECT_TRUE(r.jobs.lastStopped());
    EXPECT_EQ(r.s.exchanges(), c.stopAt);
    EXPECT_EQ(FramesSince(*r.sim, from).size(), static_cast<size_t>(c.stopAt));
    EXPECT_EQ(r.prompter.texts(), std::vector<std::string>{c.said});
    EXPECT_TRUE(r.s.model.Pins == before.Pins);
  }
}

// Behind a Kestro an unanswered identity or hardware request is passed over, but listed: such
// a report is not a clean one, so it does not make the device known.
TEST(JobsSimTest, UnansweredIdentityThroughTheTunnelIsListedNotPassed) {
  SimJobRig r;
  ASSERT_TRUE(r.attach({"--kestro", "lintor", "--ignore-request", "112,10"})) << r.sim->error();
  r.s.link.opts.CheckKestro = true;
  r.s.link.TunnelToggle = 1;
  EXPECT_TRUE(r.click("VerifyAll"));
  const std::string listed = "Start General Settings Verification\r\nID String not verified: no response\r\n";
  EXPECT_EQ(r.shownReport.rfind(listed, 0), 0u) << r.shownReport;
  EXPECT_EQ(r.shownReport.substr(r.shownReport.size() - 11), "\r\nVerify OK");
  EXPECT_EQ(r.s.deviceAsLastKnown(), nullptr);
}

TEST(JobsSimTest, WriteChangesSendsOnlyTheChangedItemsAndVerifiesOk) {
  SimJobRig r;
  ASSERT_TRUE(r.attach({"--demo"})) << r.sim->error();
  EXPECT_FALSE(r.click("WriteChanges"));
  EXPECT_EQ(r.prompter.last(), "Read All first");
  ASSERT_TRUE(r.click("ReadAll")) << r.prompter.last();
  ASSERT_NE(r.s.deviceAsLastKnown(), nullptr);
  EXPECT_TRUE(r.s.changesToDevice().empty());

  // Pin 3 holds four aspects of nine steps: one aspect's program changes, and a description.
  ASSERT_EQ(r.s.model.pin(3).AspectConfig, kLayout4x9);
  for (int i = 0; i < 9; ++i)
    r.s.model.instr(3, 2, i) = Instruction{102, 0, 0, 0, static_cast<uint8_t>(i + 1), 1};
  r.s.model.pin(3).Description = "Distant";
  r.s.model.eventOff(9, 1) = 4;
  r.s.general.XDCCAddress += 3;
  r.s.general.XGM[5] = !r.s.general.XGM[5];
  ASSERT_GE(r.s.changesToDevice().size(), 5u);
  const size_t before = r.sim->logLines("VORN ").size();
  ASSERT_TRUE(r.click("WriteChanges")) << r.prompter.last();
  ASSERT_TRUE(r.sim->waitForLog("VORN ", before + 12));
  // The values themselves: Verify All below.
  const auto sent = FramesSince(*r.sim, before);
  std::vector<std::string> heads{"96,12,"};
  for (int i = 0; i < 9; ++i) heads.push_back("99,3,2," + std::to_string(i) + ",");
  heads.insert(heads.end(), {"101,9,", "96,3,"});  // the address settings go last
  ASSERT_EQ(sent.size(), heads.size());
  for (size_t k = 0; k < heads.size(); ++k) EXPECT_EQ(sent[k].rfind(heads[k], 0), 0u) << sent[k];
  EXPECT_TRUE(r.s.changesToDevice().empty());
  ASSERT_TRUE(r.click("VerifyAll")) << r.s.report.text();
  // A new layout goes with every aspect of it, the first included.
  PinData& five = r.s.model.pin(5);
  five.AspectConfig = five.AspectConfig == kLayout12x3 ? kLayout4x9 : kLayout12x3;
  r.s.model.instr(5, 0, 0) = Instruction{102, 0, 0, 0, 7, 1};
  // And every general item that has not gone yet.
  GeneralSettings& g = r.s.general;
  g.LCGreen[1] = g.LCGreen[1] == TriState::Checked ? TriState::Unchecked : TriState::Checked;
  g.LCOrange[2] = g.LCOrange[2] == TriState::Checked ? TriState::Unchecked : TriState::Checked;
  g.HWCSink[1] = !g.HWCSink[1];
  g.DCCStateInvert = !g.DCCStateInvert;
  g.SerialParity = g.SerialParity == 2 ? 3 : 2;
  g.IDString = "Changed";
  ASSERT_TRUE(r.click("WriteChanges")) << r.prompter.last();
  ASSERT_TRUE(r.click("VerifyAll")) << r.s.report.text();

  // A file loaded over the model is compared with the Vorn that was read.
  GeneralSettings fileGeneral = r.s.general;
  fileGeneral.DCCAddress += 1;
  const std::string file = WriteConfigText(r.s.model, fileGeneral, ConfigFileMode::Full);
  ASSERT_EQ(ReadConfigText(file, r.s.model, r.s.general, r.prompter), ConfigLoadStatus::Loaded);
  const auto changes = r.s.changesToDevice();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].item, ChangeItem::GenDCCAddress);

  // Stopped between two items: it says how far it got, and both still count as changed.
  r.s.model.pin(3).InitAspect = 2;
  r.s.model.eventOn(9, 0) = 7;
  const auto two = r.s.changesToDevice();
  const size_t beforeStop = r.sim->logLines("VORN ").size();
  r.s.onExchange = [&] {
    if (r.s.lastProgress().done == 1) r.s.requestStop();
  };
  EXPECT_FALSE(r.click("WriteChanges"));
  r.s.onExchange = nullptr;
  EXPECT_EQ(r.prompter.last(), "Write Changes stopped after 1 of 3 changes");
  EXPECT_EQ(FramesSince(*r.sim, beforeStop).size(), 1u) << "one change went out";
  EXPECT_EQ(r.s.changesToDevice().size(), two.size());

  // Another module, another pick of the port, or a write of its own: the copy is gone.
  r.s.link.setModuleAddress(1);
  EXPECT_EQ(r.s.deviceAsLastKnown(), nullptr);
  r.s.link.setModuleAddress(0);
  ASSERT_TRUE(r.click("ReadAll"));
  r.s.link.openDevice(r.sim->path());
  EXPECT_EQ(r.s.deviceAsLastKnown(), nullptr);
  ASSERT_TRUE(r.click("ReadAll"));
  ASSERT_TRUE(r.click("WritePin"));
  EXPECT_EQ(r.s.deviceAsLastKnown(), nullptr);
  // A clean Verify All makes it known again.
  ASSERT_TRUE(r.click("VerifyAll")) << r.s.report.text();
  EXPECT_NE(r.s.deviceAsLastKnown(), nullptr);
}

TEST(JobsSimTest, OldFirmwareReadsAndVerifies) {
  SimJobRig r;
  ASSERT_TRUE(r.attach({"--old-firmware", "--demo"})) << r.sim->error();
  ASSERT_TRUE(ReadAllPins(r.s));
  for (int p = 0; p < kPinsInUse; ++p) {
    const auto& c = r.s.model.pin(p).PinConfig;
    // The two PWM bytes it does not send take their defaults.
    EXPECT_TRUE((c[0] != 2 && c[0] != 3) || (c[4] == 0 && c[5] == 31)) << p;
  }
  EXPECT_TRUE(VerifyPins(r.s)) << r.s.report.text();
  // Event-off actions are unknown to it: one message, and the event-on values still come in.
  ASSERT_TRUE(ReadEventActions(r.s));
  EXPECT_EQ(r.prompter.texts(), std::vector<std::string>{"Read Event-Off: Function not supported by Device"});
}

// Frames counted by the simulator before it closes its end: past the general settings, inside
// the pin part of each job.
constexpr const char* kVanishAfter = "90";

TEST(FaultJobs, PortVanishingMidJobEndsItCleanlyAndTheSessionStaysUsable) {
  for (const std::string job : {"ReadAll", "WriteAll", "VerifyAll"}) {
    SCOPED_TRACE(job);
    SimJobRig r;
    ASSERT_TRUE(r.attach({"--demo"})) << r.sim->error();
    ASSERT_TRUE(r.click("ReadAll")) << r.prompter.last();
    const ConfigModel demo = r.s.model;
    const std::string demoId = r.s.general.IDString;
    if (job == "WriteAll") test::FillFullConfiguration(r.s.model, r.s.ec);
    if (job == "ReadAll") {
      r.s.model = ConfigModel{};
      r.s.general = GeneralSettings{};
    }
    const ConfigModel before = r.s.model;

    ASSERT_TRUE(r.attach({"--demo", "--vanish-after", kVanishAfter})) << r.sim->error();
    const std::string vanishedPath = r.sim->path();
    r.prompter.clear();
    EXPECT_FALSE(r.click(job));
    ASSERT_TRUE(r.sim->waitForLog("VANISH", 1, 3000)) << "the job ended before the port vanished";
    EXPECT_FALSE(r.s.busyVisible());
    EXPECT_FALSE(r.jobs.running());
    EXPECT_FALSE(r.port.isOpen());
    ASSERT_EQ(r.prompter.entries.size(), 1u) << r.prompter.last();
    EXPECT_NE(r.prompter.last().find(vanishedPath), std::string::npos) << r.prompter.last();

    // What arrived before the port went stays; the pins not reached are as they were.
    EXPECT_EQ(r.s.general.IDString, demoId);
    EXPECT_TRUE(r.s.model.pin(0) == (job == "ReadAll" ? demo : before).pin(0));
    EXPECT_TRUE(r.s.model.pin(31) == before.pin(31));
    EXPECT_EQ(r.shownReport.find("Verification Stopped") != std::string::npos, job == "VerifyAll");

    // The port comes back (a fresh simulator here): the same job goes through.
    ASSERT_TRUE(r.attach({"--demo"})) << r.sim->error();
    r.prompter.clear();
    if (job == "VerifyAll") r.s.model = demo;
    EXPECT_TRUE(r.click(job)) << r.prompter.last() << r.s.report.text();
    EXPECT_TRUE(r.s.model.pin(31) == (job == "WriteAll" ? before : demo).pin(31));
    EXPECT_TRUE(r.prompter.entries.empty()) << r.prompter.last();
    EXPECT_FALSE(r.s.busyVisible());
  }
}

}  // namespace
}  // namespace vorn
