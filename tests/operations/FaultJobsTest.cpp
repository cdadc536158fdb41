// The batch jobs against vornsim when the port vanishes mid-job. Corrupted replies and noise:
// JobsSimTest; the reply window: the link tests.

#include <gtest/gtest.h>

#include "PinTestModel.h"
#include "SimJobRig.h"

namespace vorn {
namespace {

using test::SimJobRig;

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

    if (job == "ReadAll") {
      // What arrived before the port went stays; the pins not reached are as they were.
      EXPECT_EQ(r.s.general.IDString, demoId);
      EXPECT_TRUE(r.s.model.pin(0) == demo.pin(0));
      EXPECT_TRUE(r.s.model.pin(31) == before.pin(31));
    } else {
      EXPECT_TRUE(r.s.model.pin(0) == before.pin(0));
      EXPECT_TRUE(r.s.model.pin(31) == before.pin(31));
    }
    if (job == "VerifyAll") {
      EXPECT_NE(r.shownReport.find("Verification Stopped"), std::string::npos);
    }

    // The port comes back (a fresh simulator here): the same job goes through.
    ASSERT_TRUE(r.attach({"--demo"})) << r.sim->error();
    r.prompter.clear();
    if (job == "ReadAll") {
      EXPECT_TRUE(r.click("ReadAll")) << r.prompter.last();
      EXPECT_TRUE(r.s.model.pin(31) == demo.pin(31));
    } else {
      if (job == "VerifyAll") {
        r.s.model = demo;
      }
      EXPECT_TRUE(r.click(job)) << r.prompter.last() << r.s.report.text();
    }
    EXPECT_TRUE(r.prompter.entries.empty()) << r.prompter.last();
    EXPECT_FALSE(r.s.busyVisible());
  }
}

}  // namespace
}  // namespace vorn
