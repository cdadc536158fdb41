#include <gtest/gtest.h>

#include "PinTestRig.h"
#include "operations/EventControl.h"

namespace vorn {
namespace {

using test::PinTestRig;
using Bytes = std::vector<uint8_t>;

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

TEST(EventControlTest, WritesExactBytesAndPausesOnOneWayLink) {
  PinTestRig r;
  r.s.model.eventOn(7, 0) = 5;
  r.s.model.eventOn(7, 1) = -1;
  r.s.model.eventOn(7, 2) = 0;
  r.s.model.eventOn(7, 3) = 11;
  r.s.link.opts.CheckVornBD = false;
  r.s.ShowBusy();
  ASSERT_TRUE(WriteEventActions(r.s));
  EXPECT_FALSE(r.s.busyVisible());
  ASSERT_EQ(r.vorn.frames.size(), 64u);
  EXPECT_EQ(r.vorn.frames[7].data, (Bytes{100, 7, 5, 31, 32, 59}));
  EXPECT_EQ(r.vorn.frames[32].data, (Bytes{101, 0, 15, 31, 47, 63}));
  EXPECT_EQ(r.clock.slept_ms, 64 * 100);
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
    const char* message;  // of the read
    const char* line;     // of the verification
  };
  const Case cases[] = {
      {{112, 11, 3}, "No valid response size", "ECInit: No valid response size"},
      {{112, 12, 3, 4}, "No valid response type", "ECInit: No valid response type"},
  };
  for (const Case& c : cases) {
    PinTestRig r;
    r.vorn.customReply = [&c](const Bytes& q) -> std::optional<Bytes> {
      if (q[0] == 112) return c.reply;
      return std::nullopt;
    };
    r.s.ec.CheckInitEE[2] = false;
    EXPECT_TRUE(ReadEnableMaps(r.s));  // the device simply lacks the item
    EXPECT_EQ(r.prompter.last(), c.message);
    EXPECT_FALSE(r.s.ec.CheckInitEE[2]);
    EXPECT_FALSE(VerifyEventControl(r.s));
    EXPECT_EQ(r.s.report.text().substr(r.s.report.text().size() - std::string(c.line).size() - 2),
              std::string(c.line) + "\r\n");
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
