#include <gtest/gtest.h>

#include "PinTestRig.h"
#include "operations/Jobs.h"
#include "operations/Live.h"

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
  EXPECT_EQ(r.vorn.frames.size(), 3u);  // pin 0 has no program: only 'b', 'd' and 'f'
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
  EXPECT_TRUE(r.vorn.targetsOf('r').empty());  // nothing after the failed step
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
  EXPECT_EQ(r.vorn.targetsOf('b'), (std::vector<int>{4, 5, 7}));

  r.vorn.frames.clear();
  r.s.model.pin(5).DCCCount = 9;  // cannot be written
  ASSERT_TRUE(r.click("WriteDevice"));
  EXPECT_FALSE(r.jobs.lastResult());
  EXPECT_EQ(r.vorn.targetsOf('b'), (std::vector<int>{4}));
  EXPECT_FALSE(r.s.busyVisible());
}

TEST(JobsTest, WriteDeviceRefusesAReferralToAReferral) {
  JobRig r;
  r.s.model.pin(8).DevicePointer = -4;
  r.s.model.pin(9).DevicePointer = -1;  // leads to pin 8, which is no device pin
  r.s.model.CurPin = 9;
  EXPECT_FALSE(r.jobs.request("WriteDevice"));
  EXPECT_EQ(r.prompter.texts(), std::vector<std::string>{"Referral is not a device"});
  EXPECT_EQ(r.prompter.entries.at(0).icon, Icon::Exclamation);
  EXPECT_FALSE(r.s.busyVisible());
  EXPECT_FALSE(r.jobs.tick());
}

TEST(LiveTest, SerialOffsetsBeyondOneDataByteAreRefused) {
  struct Case {
    int pin;
    TestKeys keys;
    Bytes frame;  // none: refused
  };
  const Case cases[] = {
      {23, {false, true, false}, {}},              // Control: offset 138
      {23, {true, true, false}, {}},               // Shift + Control: the same offset in a Palk frame
      {21, {false, true, false}, {0, 0, 126, 2}},  // offset 126 still fits
      {23, {}, {0, 1, 23, 2}},                     // plain Test addresses the pin itself
  };
  for (const Case& c : cases) {
    PinTestRig r;  // every pin with six serial addresses: pin 23 (shown 24) starts at offset 138
    r.s.model.NumberBase = 1;
    for (int p = 0; p < kPinsInUse; ++p) r.s.model.pin(p).SerialCount = 6;
    r.s.model.RecalcAllStarts();
    r.s.model.CurAspect = 2;
    r.s.model.CurPin = static_cast<uint8_t>(c.pin);
    EXPECT_EQ(TestAspect(r.s, c.keys), !c.frame.empty()) << c.pin;
    EXPECT_EQ(r.vorn.frames.empty() ? Bytes{} : r.vorn.frames[0].data, c.frame);
    EXPECT_EQ(r.port.written.empty(), c.frame.empty()) << c.pin;
    if (!c.frame.empty()) continue;
    EXPECT_EQ(r.prompter.texts(),
              std::vector<std::string>{"Pin 24 has serial address offset 138: a live command "
                                       "reaches offsets 0 to 127 only. Nothing was sent."});
    EXPECT_EQ(r.prompter.entries.at(0).icon, Icon::Critical);
  }
}

TEST(LiveTest, PortFailingMidwayEndsClearAllAndLampTestWithOneMessage) {
  using Case = std::pair<bool (*)(Session&, int), uint8_t>;  // command, its Palk command
  for (const auto& [command, palkCommand] : {Case{&ClearAllOutputs, 8}, Case{&LampTestAllOutputs, 10}}) {
    PinTestRig r;
    int sent = 0;
    r.port.responder = [&](const Bytes& chunk) {
      if (chunk.size() == 5 && chunk[1] == 128 + palkCommand && ++sent == 5) r.port.failWrite = true;
    };
    EXPECT_FALSE(command(r.s, 3));
    EXPECT_EQ(sent, 5);
    ASSERT_EQ(r.prompter.entries.size(), 1u) << r.prompter.last();
    EXPECT_EQ(r.prompter.last().rfind("The communications port /dev/fake-vorn stopped working", 0), 0u);
    EXPECT_FALSE(r.s.link.isOpen());
  }
  // Lamp test: one Palk frame per output, to address byte 63 here.
  PinTestRig r;
  std::vector<Bytes> palk;
  r.port.responder = [&](const Bytes& chunk) { palk.push_back(chunk); };
  ASSERT_TRUE(LampTestAllOutputs(r.s, 15));
  palk.erase(palk.begin(), palk.end() - 32);
  for (size_t out = 0; out < 32; ++out)
    EXPECT_EQ(palk[out], (Bytes{63, 128 + 10, uint8_t(128 + out), 128 + 30, palk[out][4]}));
  // A raw Palk frame carries 7-bit values: what lies outside is cut, in the frame and the values.
  PalkValues raw{200, -5, 130};
  ASSERT_TRUE(SendRawPalk(r.s, raw));
  EXPECT_EQ(std::tuple(raw.command, raw.output, raw.parameter), std::tuple(127, 0, 127));
  ASSERT_EQ(palk.back().size(), 5u);
  EXPECT_EQ(Bytes(palk.back().begin() + 1, palk.back().end() - 1), (Bytes{255, 128, 255}));
  r.s.link.closePort();
  r.prompter.clear();
  EXPECT_FALSE(ClearAllOutputs(r.s, 0));
  EXPECT_EQ(r.prompter.texts(), std::vector<std::string>{"Select communications port"});
}

}  // namespace
}  // namespace vorn
