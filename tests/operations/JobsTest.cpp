#include <gtest/gtest.h>

#include "PinTestRig.h"
#include "operations/Jobs.h"

namespace vorn {
namespace {

using test::Bytes;
using test::PinTestRig;

struct JobRig : PinTestRig {
  JobRunner jobs{s};
  int displayRefreshes = 0;
  int pinConfigRefreshes = 0;
  JobRig() {
    s.onDisplayRefresh = [this] { ++displayRefreshes; };
    s.onPinConfigRefresh = [this] { ++pinConfigRefreshes; };
  }
  // Runs one job the way a button click and the next tick would.
  bool click(const std::string& name) { return jobs.request(name) && jobs.tick(); }
};

TEST(JobsTest, LastClickBeforeTheTickWins) {
  JobRig r;
  ASSERT_TRUE(r.jobs.request("ReadAll"));
  EXPECT_TRUE(r.s.busyVisible());
  ASSERT_TRUE(r.jobs.request("PAspWritePin"));
  EXPECT_EQ(r.jobs.PendingJob(), "PAspWritePin");
  EXPECT_TRUE(r.jobs.tick());
  EXPECT_EQ(r.vorn.commandLetters(), "bdf");  // pin 0 has no program: only its head
  EXPECT_FALSE(r.s.busyVisible());
  EXPECT_EQ(r.jobs.PendingJob(), "");
  EXPECT_FALSE(r.jobs.tick());  // nothing left
}

TEST(JobsTest, ReadAllFailingAtDccStillRefreshesFromTheModel) {
  JobRig r;
  r.vorn.silentOn = [](const Bytes& q) { return q[0] == 112 && q[1] == 5; };
  r.s.model.pin(0).DCCCount = 4;  // start tables not yet recomputed
  ASSERT_TRUE(r.click("ReadAll"));
  EXPECT_FALSE(r.jobs.lastResult());
  EXPECT_TRUE(r.vorn.requestsOf('r').empty());  // nothing after the failed step
  EXPECT_EQ(r.s.model.DCCStart[1], 4);
  EXPECT_EQ(r.displayRefreshes, 1);
  EXPECT_EQ(r.pinConfigRefreshes, 1);
  EXPECT_FALSE(r.s.busyVisible());
}

TEST(JobsTest, WriteDeviceWritesItsPinsInOrderAndStopsAtAFailure) {
  JobRig r;
  r.s.model.pin(5).DevicePointer = -1;  // device: pins 4, 5, 7
  r.s.model.pin(7).DevicePointer = -3;
  r.s.model.pin(6).DevicePointer = 2;  // pin 6 belongs to pin 8
  r.s.model.CurPin = 7;
  ASSERT_TRUE(r.click("WriteDevice"));
  std::vector<int> written;
  for (const auto& q : r.vorn.requestsOf('b')) written.push_back(q[1]);
  EXPECT_EQ(written, (std::vector<int>{4, 5, 7}));

  r.vorn.frames.clear();
  r.s.model.pin(5).DCCCount = 9;  // cannot be written
  ASSERT_TRUE(r.click("WriteDevice"));
  EXPECT_FALSE(r.jobs.lastResult());
  written.clear();
  for (const auto& q : r.vorn.requestsOf('b')) written.push_back(q[1]);
  EXPECT_EQ(written, (std::vector<int>{4}));
  EXPECT_FALSE(r.s.busyVisible());
}

TEST(JobsTest, WriteDeviceRefusesAReferralToAReferral) {
  JobRig r;
  r.s.model.pin(8).DevicePointer = -4;
  r.s.model.pin(9).DevicePointer = -1;  // leads to pin 8, which is no device pin
  r.s.model.CurPin = 9;
  EXPECT_FALSE(r.jobs.request("WriteDevice"));
  ASSERT_EQ(r.prompter.entries.size(), 1u);
  EXPECT_EQ(r.prompter.entries[0].text, "Referral is not a device");
  EXPECT_EQ(r.prompter.entries[0].icon, Icon::Exclamation);
  EXPECT_FALSE(r.s.busyVisible());
  EXPECT_FALSE(r.jobs.tick());
}

}  // namespace
}  // namespace vorn
