#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>

#include "PinTestRig.h"
#include "model/Instructions.h"
#include "operations/EventControl.h"
#include "operations/General.h"
#include "operations/PinTransfer.h"

namespace vorn {
namespace {

using test::Bytes;
using test::PinTestRig;

TEST(PinEncodingTest, InitialAspectByteBothWays) {
  for (auto [init, byte] : {std::pair<uint8_t, uint8_t>{0, 127}, {1, 112}, {12, 123}}) {
    EXPECT_EQ(InitAspectByte(init), byte) << int(init);
    EXPECT_EQ(DecodeInitAspectByte(byte), init) << int(byte);
  }
  EXPECT_FALSE(DecodeInitAspectByte(0x3F).has_value());
}

TEST(PinTransferTest, WriteSendsExactBytes) {
  PinTestRig r;
  PinData& p = r.s.model.pin(10);  // layout 0, no initial aspect
  p.DCCCount = 2;
  p.XDCCCount = 1;
  p.SerialCount = 0;
  p.DevicePointer = -3;
  p.PinConfig = {1, 10, 70, 3, 4, 5, 6, 7, 8, 9, 10, 11, 99};
  ASSERT_TRUE(WritePin(r.s, 10));
  ASSERT_EQ(r.vorn.frames.size(), 4u);
  EXPECT_EQ(r.vorn.frames[0].data, (Bytes{'b', 10, 0}));
  EXPECT_EQ(r.vorn.frames[1].data, (Bytes{'d', 10, 127}));
  EXPECT_EQ(r.vorn.frames[2].data, (Bytes{'f', 10, 10, 16, 93}));
  // Servo: twelve bytes, the flags reduced to six bits and kept so.
  EXPECT_EQ(r.vorn.frames[3].data, (Bytes{'a', 10, 1, 10, 6, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(p.PinConfig[2], 6);
}

TEST(PinTransferTest, ConfigurationReadRules) {
  PinTestRig r;
  // The short PWM reply of older firmware: JobsSimTest.OldFirmwareReadsAndVerifies.
  // Old servo flags format: 48 (bit 3 clear) becomes 48 div 16 + 40.
  r.vorn.pins[4].config = {1, 0, 48};
  ASSERT_TRUE(ReadPinConfig(r.s, true, 4));
  EXPECT_EQ(r.s.model.pin(4).PinConfig[2], 43);

  // "Get Pin Config": element 1 is the live level, the parameter stays.
  r.vorn.pins[5].active = {3, 17, 4};
  r.s.model.pin(5).PinConfig[1] = 8;
  ASSERT_TRUE(ReadPinConfig(r.s, false, 5));
  EXPECT_EQ(r.s.model.pin(5).PinConfig[1], 8);
  EXPECT_EQ(r.s.model.pin(5).LiveLevel, 17);
  EXPECT_EQ(r.s.model.pin(5).PinConfig[2], 4);
}

TEST(PinTransferTest, VerificationListsEveryDifferenceAndGoesOn) {
  PinTestRig r;
  r.s.model.NumberBase = 1;
  ASSERT_TRUE(ReadAllPins(r.s));
  r.vorn.pins[0].layout = 3;  // model has 0
  r.vorn.pins[1].config = {4, 1};
  r.s.model.pin(2).AspectConfig = r.vorn.pins[2].layout = 2;
  r.vorn.pins[2].slots[5][1] = {9, 0, 0, 3, 0};  // aspects 5 and 7 differ, 7 in two slots
  r.vorn.pins[2].slots[7][0] = {9, 0, 0, 3, 0};
  r.vorn.pins[2].slots[7][2] = {9, 0, 0, 3, 0};
  r.vorn.pins[3].init = 0x72;
  r.vorn.pins[4].addr = {0, 19, 65};
  r.vorn.pins[5].addr = {9, 17, 40};  // 40 is no address-configuration byte
  r.s.model.pin(7).XDCCCount = 0;     // the extended DCC count shares its byte with the DCC count
  r.vorn.customReply = [](const Bytes& q) {
    return q[0] == 'v' && q[1] == 6 ? std::optional<Bytes>({'v', 7, 9, 17, 64}) : std::nullopt;
  };
  EXPECT_FALSE(VerifyPins(r.s));
  EXPECT_EQ(r.s.report.text(),
            "Start Pin Verification\r\n"
            "Note: Numbering starts at 1\r\n"
            "Pin 1: Aspectconfig does not compare\r\n"
            "Pin 2: Pinconfig does not compare\r\n"
            "Pin 3: Aspect 5 does not compare\r\n"
            "Pin 3: Aspect 7 does not compare\r\n"
            "Pin 4: Init does not compare\r\n"
            "Pin 5: DCC Address Configuration does not compare\r\n"
            "Pin 5: Serial Address Configuration does not compare\r\n"
            "Pin 5: Device Pointer does not compare\r\n"
            "Pin Address Configuration: Invalid Response 2\r\n"
            "Pin Address Configuration: Invalid Response, expected 5,118,6, received 5,118,7\r\n"
            "Pin 8: DCC Address Configuration does not compare\r\n");
  EXPECT_TRUE(r.prompter.entries.empty());

  // A reply for another slot is no answer: the verification ends there and fails.
  PinTestRig bad;
  bad.vorn.pins[2].layout = 2;
  ASSERT_TRUE(ReadAllPins(bad.s));
  bad.vorn.customReply = [](const Bytes& q) {
    return q[0] == 's' && q[1] == 2 ? std::optional<Bytes>({'s', 2, 0, 1, 0, 0, 0, 0, 0}) : std::nullopt;
  };
  EXPECT_FALSE(VerifyPins(bad.s));
  EXPECT_EQ(bad.s.report.text(), "Start Pin Verification\r\nNo valid response\r\n");
}

// A reply of the wrong size or for another pin ends the read with its message; the short
// initial-aspect reply of a pin without one is no fault.
TEST(PinTransferTest, InvalidRepliesShowTheirMessage) {
  using Case = std::pair<Bytes, const char*>;  // answer to the request named by its first byte, message
  const Case cases[] = {
      {{'r', 0}, "No valid response"},
      {{'s', 0, 0, 1, 0, 0, 0, 0, 0}, "No valid response"},
      {{'v', 0, 9, 17}, "Read Pin Address Configuration: Invalid Response"},
      {{'v', 0, 9, 17, 40}, "Read Pin Address Configuration: Invalid Response"},
      {{'t', 0, 0x7F}, nullptr},
  };
  for (const auto& [reply, message] : cases) {
    PinTestRig r;
    r.vorn.pins[0].layout = 2;
    r.s.model.pin(0).InitAspect = 5;
    r.vorn.customReply = [&](const Bytes& q) {
      return q[0] == reply[0] ? std::optional(reply) : std::nullopt;
    };
    EXPECT_EQ(ReadPinProgram(r.s, 0), !message) << reply.size();
    EXPECT_EQ(r.prompter.texts(), message ? std::vector<std::string>{message} : std::vector<std::string>{});
    EXPECT_TRUE(message || r.s.model.pin(0).InitAspect == 0);
  }
}

TEST(PinTransferTest, ReadDeviceReadsTheDevicePinAndItsMembersOnly) {
  PinTestRig r;
  r.vorn.pins[4].addr = {9, 17, 64};       // the device pin
  r.vorn.pins[5].addr = {9, 17, 64 + 31};  // -1
  r.vorn.pins[6].addr = {64 + 30, 9, 17};  // -2
  r.vorn.pins[9].addr = {9, 17, 64 + 31};  // belongs to pin 8
  ASSERT_TRUE(ReadDevice(r.s, 6));
  EXPECT_EQ(r.vorn.targetsOf('r'), (std::vector<int>{4, 5, 6}));
  EXPECT_EQ(r.s.model.pin(6).DevicePointer, -2);

  PinTestRig none;
  none.s.model.NumberBase = 1;
  none.vorn.pins[5].addr = {9, 17, 16};
  EXPECT_FALSE(ReadDevice(none.s, 5));
  EXPECT_EQ(none.prompter.last(), "Cannot read DevicePointer from Pin 6");
}

TEST(PinTransferTest, FieldsTheWireCannotHoldAreNotSent) {
  using Spoil = void (*)(PinData&);
  for (Spoil spoil :
       {Spoil([](PinData& p) { p.DCCCount = 9; }), Spoil([](PinData& p) { p.SerialCount = 8; }),
        Spoil([](PinData& p) { p.DevicePointer = -5; }), Spoil([](PinData& p) { p.InitAspect = 16; }),
        Spoil([](PinData& p) { p.Aspects[1].Instr[0] = Instruction{9, 0, 0, 200, 0, 0}; })}) {
    PinTestRig r;
    r.s.model.pin(3).AspectConfig = 3;
    spoil(r.s.model.pin(3));
    EXPECT_FALSE(WritePin(r.s, 3));
    EXPECT_TRUE(r.vorn.frames.empty());
    ASSERT_EQ(r.prompter.entries.size(), 1u);
    EXPECT_EQ(r.prompter.last().rfind("Pin 3 cannot be written: ", 0), 0u) << r.prompter.last();
  }
  PinTestRig highest;  // the last initial aspect the wire holds
  highest.s.model.pin(3).InitAspect = 15;
  EXPECT_TRUE(WritePin(highest.s, 3));
  EXPECT_TRUE(highest.prompter.entries.empty()) << highest.prompter.last();
}

TEST(EventEncodingTest, ActionBytes) {
  using Row = std::array<int, 3>;  // input, byte, action
  for (Row c : {Row{2, 0x2F, -1}, Row{2, 0x23, 3}, Row{2, 0x13, -1}, Row{0, 0x0E, 14}, Row{3, 0x3B, 11}})
    EXPECT_EQ(DecodeActionByte(c[0], static_cast<uint8_t>(c[1])), c[2]) << c[1];
  EXPECT_EQ(EncodeActionByte(1, -1), 0x1F);
  EXPECT_EQ(EncodeActionByte(3, 11), 0x3B);
}

TEST(EventEncodingTest, EnableMapsAreTheInverseOfTheBoxes) {
  // Boxes 0..3: events on at start for inputs 0..3; boxes 4..7: events off.
  auto maps = [](const EventControlState& ec) { return std::vector<int>{EnableMapOn(ec), EnableMapOff(ec)}; };
  EventControlState ec;
  EXPECT_EQ(maps(ec), (std::vector<int>{0, 0}));
  ec.CheckInitEE.fill(false);
  EXPECT_EQ(maps(ec), (std::vector<int>{15, 15}));
  ec.CheckInitEE = {true, false, true, true, false, true, true, true};
  EXPECT_EQ(maps(ec), (std::vector<int>{2, 1}));
}

// On a one-way link every write frame is followed by a pause instead of an answer; a read
// makes the link two-way again.
TEST(OneWayLinkTest, WritesPauseAfterEachFrameAndReadsTurnTheLinkTwoWay) {
  struct Case {
    std::function<bool(Session&)> write;
    size_t frames;
    int pauseMs;
  };
  const std::vector<Case> cases{
      {WriteGenDCC, 3, 300},
      // 'b', 'd', 'f' and 36 'c' pause; the configuration write does not.
      {[](Session& s) { return WritePin(s, 2); }, 40, 3900},
      {WriteEventActions, 64, 6400},
  };
  for (const Case& c : cases) {
    for (bool twoWay : {true, false}) {
      PinTestRig r;
      r.s.model.pin(2).AspectConfig = 3;
      r.s.link.opts.CheckVornBD = twoWay;
      ASSERT_TRUE(c.write(r.s)) << c.frames;
      EXPECT_EQ(r.vorn.frames.size(), c.frames);
      EXPECT_EQ(r.clock.slept_ms, twoWay ? 0 : c.pauseMs) << c.frames;
      EXPECT_EQ(r.vorn.frames.back().wantsReply(), twoWay) << c.frames;
      ASSERT_TRUE(ReadPinProgram(r.s, 2));
      EXPECT_TRUE(r.s.link.opts.CheckVornBD && r.vorn.frames.back().wantsReply());
      r.s.link.opts.CheckVornBD = false;
      ASSERT_TRUE(ReadEventActions(r.s));
      EXPECT_TRUE(r.s.link.opts.CheckVornBD && r.vorn.frames.back().wantsReply());
    }
  }
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
  // The message of the read; the verification line is "ECInit: " and the same words.
  using Case = std::pair<Bytes, std::string>;
  for (const auto& [reply, message] :
       {Case{{112, 11, 3}, "No valid response size"}, Case{{112, 12, 3, 4}, "No valid response type"}}) {
    PinTestRig r;
    r.answer(11, reply);
    r.s.ec.CheckInitEE[2] = false;
    EXPECT_TRUE(ReadEnableMaps(r.s));  // the device simply lacks the item
    EXPECT_EQ(r.prompter.last(), message);
    EXPECT_FALSE(r.s.ec.CheckInitEE[2]);
    EXPECT_FALSE(VerifyEventControl(r.s));
    const std::string& t = r.s.report.text();
    EXPECT_EQ(t.substr(t.rfind("ECInit")), "ECInit: " + message + "\r\n");
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
