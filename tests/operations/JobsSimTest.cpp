// The three batch jobs against the simulated Vorn over a real pseudo-terminal.

#include <gtest/gtest.h>

#include <algorithm>

#include "PinTestModel.h"
#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "files/ConfigFile.h"
#include "link/QtSerialPort.h"
#include "model/GeneralSettingsRules.h"
#include "operations/EventControl.h"
#include "operations/Jobs.h"
#include "operations/Session.h"

namespace vorn {
namespace {

struct SimJobRig {
  test::SimProcess sim;
  QtSerialPort port;
  test::RecordingPrompter prompter;
  Session s{port, SystemClock(), prompter};
  JobRunner jobs{s};
  std::string shownReport;

  explicit SimJobRig(std::vector<std::string> args = {}) : sim(std::move(args)) {
    s.onShowReport = [this] { shownReport = s.report.text(); };
    if (sim.ok()) s.link.openDevice(sim.path());
  }
  bool click(const std::string& name) { return jobs.request(name) && jobs.tick() && jobs.lastResult(); }
};

TEST(JobsSimTest, WriteAllThenReadAllThenVerifyAllEndsInVerifyOk) {
  SimJobRig r({"--demo"});
  ASSERT_TRUE(r.sim.ok()) << r.sim.error();
  ASSERT_TRUE(r.click("ReadAll")) << r.prompter.last();  // the general settings as the Vorn has them

  test::FillFullConfiguration(r.s.model, r.s.ec);
  r.s.general.IDString = "ROUNDTRIP";
  r.s.general.LCGreen[2] = TriState::Checked;
  const ConfigModel written = r.s.model;
  const GeneralSettings writtenGeneral = r.s.general;
  ASSERT_TRUE(r.click("WriteAll")) << r.prompter.last();

  r.s.model = ConfigModel{};
  r.s.general = GeneralSettings{};
  r.s.ec = EventControlState{};
  ASSERT_TRUE(r.click("ReadAll")) << r.prompter.last();
  EXPECT_EQ(r.s.general.IDString, "ROUNDTRIP");
  EXPECT_EQ(r.s.general.LCGreen, writtenGeneral.LCGreen);
  EXPECT_TRUE(r.s.model.pin(20) == written.pin(20));

  ASSERT_TRUE(r.click("VerifyAll")) << r.s.report.text();
  EXPECT_EQ(r.shownReport.substr(r.shownReport.size() - 11), "\r\nVerify OK");
  EXPECT_TRUE(r.prompter.entries.empty()) << r.prompter.last();

  // A device changed behind our back: the pin verification names it.
  r.s.model.pin(30).InitAspect = 0;
  EXPECT_FALSE(r.click("VerifyAll"));
  EXPECT_NE(r.shownReport.find("Pin 31: Init does not compare\r\n"), std::string::npos) << r.shownReport;
  EXPECT_EQ(r.shownReport.substr(r.shownReport.size() - 22), "\r\nVerification Stopped");
  // Each pin is marked: the one that differs with its own lines, the others as equal.
  EXPECT_EQ(r.s.pinMarks[30], Session::PinMark::Differs);
  EXPECT_EQ(r.s.pinFindings[30], "Pin 31: Init does not compare\r\n");
  EXPECT_EQ(std::count(r.s.pinMarks.begin(), r.s.pinMarks.end(), Session::PinMark::Ok), 31);
}

// First data byte of each frame the simulator received since line `from` of its log.
std::vector<std::string> FramesSince(const test::SimProcess& sim, size_t from) {
  std::vector<std::string> frames;
  const auto lines = sim.logLines("VORN ");
  for (size_t k = from; k < lines.size(); ++k) {
    const size_t at = lines[k].find("data=");
    frames.push_back(lines[k].substr(at + 5, lines[k].find(' ', at) - at - 5));
  }
  return frames;
}

TEST(JobsSimTest, WriteChangesSendsOnlyTheChangedItemsAndVerifiesOk) {
  SimJobRig r({"--demo"});
  ASSERT_TRUE(r.sim.ok()) << r.sim.error();
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
  const size_t before = r.sim.logLines("VORN ").size();
  ASSERT_TRUE(r.click("WriteChanges")) << r.prompter.last();
  ASSERT_TRUE(r.sim.waitForLog("VORN ", before + 12));
  const AddressBytes xdcc = SplitAddress(r.s.general.XDCCAddress);
  std::vector<std::string> expected{"96,12," + std::to_string(xdcc.Lo) + "," + std::to_string(xdcc.Hi)};
  for (int i = 0; i < 9; ++i)
    expected.push_back("99,3,2," + std::to_string(i) + ",102,0,0," + std::to_string(i + 1) + ",1");
  std::string eventOff = "101,9";
  for (int j = 0; j < 4; ++j) eventOff += "," + std::to_string(EncodeActionByte(j, r.s.model.eventOff(9, j)));
  expected.push_back(eventOff);
  std::string masks = "96,3";  // the address settings go last
  for (int i = 0; i < 4; ++i) masks += "," + std::to_string(XGMByte(r.s.general, i));
  expected.push_back(masks);
  EXPECT_EQ(FramesSince(r.sim, before), expected);
  EXPECT_TRUE(r.s.changesToDevice().empty());
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
  r.s.onPoll = [&] {
    if (r.s.lastProgress().done == 1) r.s.requestStop();
  };
  EXPECT_FALSE(r.click("WriteChanges"));
  r.s.onPoll = nullptr;
  EXPECT_EQ(r.prompter.last(), "Write Changes stopped after 1 of 3 changes");
  EXPECT_EQ(r.s.changesToDevice().size(), two.size());

  // Another module, another pick of the port, or a write of its own: the copy is gone.
  r.s.link.setModuleAddress(1);
  EXPECT_EQ(r.s.deviceAsLastKnown(), nullptr);
  r.s.link.setModuleAddress(0);
  EXPECT_EQ(r.s.deviceAsLastKnown(), nullptr);
  ASSERT_TRUE(r.click("ReadAll"));
  r.s.link.openDevice(r.sim.path());
  EXPECT_EQ(r.s.deviceAsLastKnown(), nullptr);
  ASSERT_TRUE(r.click("ReadAll"));
  ASSERT_TRUE(r.click("WritePin"));
  EXPECT_EQ(r.s.deviceAsLastKnown(), nullptr);
}

}  // namespace
}  // namespace vorn
