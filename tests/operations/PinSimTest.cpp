// Pins, aspects and event control against the simulated Vorn over a real pseudo-terminal.

#include <gtest/gtest.h>

#include "FakeClock.h"
#include "PinTestModel.h"
#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/QtSerialPort.h"
#include "operations/EventControl.h"
#include "operations/PinTransfer.h"
#include "operations/Session.h"

namespace vorn {
namespace {

struct SimRig {
  test::SimProcess sim;
  QtSerialPort port;
  test::RecordingPrompter prompter;
  Session s{port, SystemClock(), prompter};

  explicit SimRig(std::vector<std::string> args = {}) : sim(std::move(args)) {
    s.model.NumberBase = 0;
    if (sim.ok()) s.link.openDevice(sim.path());
  }
};

TEST(PinSimTest, WrittenPinsAndEventsReadBackAndVerify) {
  SimRig r;
  ASSERT_TRUE(r.sim.ok()) << r.sim.error();
  ASSERT_TRUE(r.s.link.isOpen());
  test::FillFullConfiguration(r.s.model, r.s.ec);
  const ConfigModel written = r.s.model;
  const EventControlState writtenEc = r.s.ec;

  ASSERT_TRUE(WriteAllPins(r.s));
  ASSERT_TRUE(WriteEventActions(r.s));
  ASSERT_TRUE(WriteEnableMaps(r.s));

  // Read into a fresh model: everything written comes back.
  r.s.model = ConfigModel{};
  r.s.model.NumberBase = 0;
  r.s.ec = EventControlState{};
  ASSERT_TRUE(ReadAllPins(r.s));
  ASSERT_TRUE(ReadEventActions(r.s));
  ASSERT_TRUE(ReadEnableMaps(r.s));
  for (int p = 0; p < kPinsInUse; ++p) {
    // Nothing that is not transferred differs from the start values on either side.
    EXPECT_TRUE(r.s.model.pin(p) == written.pin(p)) << "pin " << p;
    EXPECT_EQ(r.s.model.EventOn[static_cast<size_t>(p)], written.EventOn[static_cast<size_t>(p)]) << p;
    EXPECT_EQ(r.s.model.EventOff[static_cast<size_t>(p)], written.EventOff[static_cast<size_t>(p)]) << p;
  }
  EXPECT_EQ(r.s.ec.CheckInitEE, writtenEc.CheckInitEE);

  r.s.report.ClearVerificationReport();
  EXPECT_TRUE(VerifyEventControl(r.s)) << r.s.report.text();
  EXPECT_TRUE(VerifyPins(r.s)) << r.s.report.text();
  EXPECT_EQ(r.s.report.text(), "Start EC Verification\r\nStart Pin Verification\r\n");
  EXPECT_TRUE(r.prompter.entries.empty()) << r.prompter.last();

  // One changed slot on the device side shows up as exactly that aspect.
  r.s.model.instr(9, 4, 1).Par1 ^= 1;
  r.s.report.ClearVerificationReport();
  EXPECT_FALSE(VerifyPins(r.s));
  EXPECT_EQ(r.s.report.text(), "Start Pin Verification\r\nPin 9: Aspect 4 does not compare\r\n");
}

TEST(PinSimTest, OldFirmwareReadsAndVerifies) {
  SimRig r({"--old-firmware", "--demo"});
  ASSERT_TRUE(r.sim.ok()) << r.sim.error();
  ASSERT_TRUE(ReadAllPins(r.s));
  EXPECT_TRUE(r.prompter.entries.empty()) << r.prompter.last();
  for (int p = 0; p < kPinsInUse; ++p) {
    const auto& c = r.s.model.pin(p).PinConfig;
    if (c[0] == 2 || c[0] == 3) {
      EXPECT_EQ(c[4], 0) << p;
      EXPECT_EQ(c[5], 31) << p;
    }
  }
  EXPECT_TRUE(VerifyPins(r.s)) << r.s.report.text();
  // Event-off actions are unknown to it: one message, and the event-on values still come in.
  ASSERT_TRUE(ReadEventActions(r.s));
  EXPECT_EQ(r.prompter.texts(), std::vector<std::string>{"Read Event-Off: Function not supported by Device"});
}

}  // namespace
}  // namespace vorn
