// The three batch jobs against the simulated Vorn over a real pseudo-terminal.

#include <gtest/gtest.h>

#include "PinTestModel.h"
#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/QtSerialPort.h"
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
}

}  // namespace
}  // namespace vorn
