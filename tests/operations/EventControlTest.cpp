#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "PinTestRig.h"
#include "operations/EventControl.h"
#include "operations/General.h"
#include "operations/PinTransfer.h"

namespace vorn {
namespace {

using test::Bytes;
using test::PinTestRig;

TEST(EventEncodingTest, ActionBytes) {
  struct Case {
    int input;
    uint8_t byte;
    int action;
  };
  for (Case c :
       {Case{2, 0x2F, -1}, Case{2, 0x23, 3}, Case{2, 0x13, -1}, Case{0, 0x0E, 14}, Case{3, 0x3B, 11}}) {
    EXPECT_EQ(DecodeActionByte(c.input, c.byte), c.action) << int(c.byte);
  }
  EXPECT_EQ(EncodeActionByte(1, -1), 0x1F);
  EXPECT_EQ(EncodeActionByte(3, 11), 0x3B);
}

TEST(EventEncodingTest, EnableMapsAreTheInverseOfTheBoxes) {
  EventControlState ec;
  EXPECT_EQ(EnableMapOn(ec), 0);
  EXPECT_EQ(EnableMapOff(ec), 0);
  ec.CheckInitEE.fill(false);
  EXPECT_EQ(EnableMapOn(ec), 15);
  EXPECT_EQ(EnableMapOff(ec), 15);
  ec.CheckInitEE = {true, false, true, true, false, true, true, true};
  EXPECT_EQ(EnableMapOn(ec), 2);
  EXPECT_EQ(EnableMapOff(ec), 1);
}

// On a one-way link every write frame is followed by a pause instead of an answer; a read
// makes the link two-way again.
TEST(OneWayLinkTest, WritesPauseAfterEachFrameAndReadsTurnTheLinkTwoWay) {
  struct Case {
    const char* name;
    std::function<bool(Session&)> write;
    size_t frames;
    int pauseMs;
  };
  const std::vector<Case> cases{
      {"general", WriteGenDCC, 3, 300},
      // 'b', 'd', 'f' and 36 'c' pause; the configuration write does not.
      {"pin", [](Session& s) { return WritePin(s, 2); }, 40, 3900},
      {"events", WriteEventActions, 64, 6400},
  };
  for (const Case& c : cases) {
    for (bool twoWay : {true, false}) {
      PinTestRig r;
      r.s.model.pin(2).AspectConfig = 3;
      r.s.link.opts.CheckVornBD = twoWay;
      ASSERT_TRUE(c.write(r.s)) << c.name;
      EXPECT_EQ(r.vorn.frames.size(), c.frames) << c.name;
      EXPECT_EQ(r.clock.slept_ms, twoWay ? 0 : c.pauseMs) << c.name;
      EXPECT_EQ(r.vorn.frames.back().wantsReply(), twoWay) << c.name;
    }
  }
  PinTestRig r;
  r.s.link.opts.CheckVornBD = false;
  ASSERT_TRUE(ReadPinProgram(r.s, 2));
  EXPECT_TRUE(r.s.link.opts.CheckVornBD);
  EXPECT_TRUE(r.vorn.frames.back().wantsReply());
}

TEST(EventControlTest, VerificationLines) {
  PinTestRig r;
  r.s.model.eventOn(5, 2) = 3;
  r.vorn.pins[5].on[2] = 0x2F;  // none
  r.s.model.eventOff(0, 1) = 7;
  r.vorn.general[11] = {1, 0};
  r.s.ec.CheckInitEE[4] = false;  // map off 1, the Vorn 0
  EXPECT_FALSE(VerifyEventControl(r.s));
  EXPECT_EQ(r.s.report.text(),
            "Start EC Verification\r\n"
            "Event-On(2) for pin  5 does not compare: Configured Action = 3, Vorn Reply = -1\r\n"
            "Event-Off(1) for pin  0 does not compare: Configured Action = 7, Vorn Reply = -1\r\n"
            "ECInit: ON-mask does not compare\r\n"
            "ECInit: OFF-mask does not compare\r\n");
}

TEST(EventControlTest, EnableMapsFaults) {
  struct Case {
    Bytes reply;
    const char* message;  // of the read; the verification line is "ECInit: " and the message
  };
  for (const Case& c :
       {Case{{112, 11, 3}, "No valid response size"}, Case{{112, 12, 3, 4}, "No valid response type"}}) {
    PinTestRig r;
    r.answer(11, c.reply);
    r.s.ec.CheckInitEE[2] = false;
    EXPECT_TRUE(ReadEnableMaps(r.s));  // the device simply lacks the item
    EXPECT_EQ(r.prompter.last(), c.message);
    EXPECT_FALSE(r.s.ec.CheckInitEE[2]);
    EXPECT_FALSE(VerifyEventControl(r.s));
    const std::string& t = r.s.report.text();
    EXPECT_EQ(t.substr(t.rfind("ECInit")), "ECInit: " + std::string(c.message) + "\r\n");
  }
}

TEST(EventControlTest, ActionsTheNibbleCannotCarryAreNotSent) {
  PinTestRig r;
  r.s.model.eventOff(30, 2) = 16;
  r.s.ShowBusy();
  EXPECT_FALSE(WriteEventActions(r.s));
  EXPECT_TRUE(r.vorn.frames.empty());
  EXPECT_FALSE(r.s.busyVisible());
  EXPECT_EQ(r.prompter.last(), "Pin 30 cannot be written: Event-Off action 16 of input 2 is outside -1..14");
}

}  // namespace
}  // namespace vorn
