#include <gtest/gtest.h>

#include "FakeSerialPort.h"
#include "FrameBuilder.h"
#include "RecordingPrompter.h"
#include "link/Link.h"

using namespace vorn;
using namespace vorn::test;

namespace {

const std::vector<uint8_t> kResync{0, 0, 0, 255, 255, 255, 170, 170, 170};

struct DirectLink : ::testing::Test {
  FakeClock clock;
  FakeSerialPort port{clock};
  RecordingPrompter prompter;
  Link link{port, clock, prompter};
  HostFrameParser parser;
  std::vector<HostFrame> frames;  // what the device side saw

  // Answers every frame that asks for a reply with `data`, echoing its start byte.
  void answerWith(std::vector<uint8_t> data) {
    port.responder = [this, data](const std::vector<uint8_t>& bytes) {
      for (const auto& f : parser.feed(bytes)) {
        frames.push_back(f);
        if (f.wantsReply()) port.queue(ReplyFrame(f.start, data));
      }
    };
  }
  void open() {
    ASSERT_TRUE(link.openDevice("/dev/fake0"));
    port.written.clear();
  }
};

TEST_F(DirectLink, FirstFrameAfterOpenIsPrecededByResyncThenTogglesAlternate) {
  link.setModuleAddress(5);
  open();
  answerWith({112, 0, 1, 2, 3});
  ASSERT_TRUE(link.Transact(true, {112, 0}));
  std::vector<uint8_t> expected = kResync;
  expected.insert(expected.end(), {23, 192, 169, 87, 226, 240, 128, 215});
  EXPECT_EQ(port.written, expected);
  EXPECT_TRUE(link.ReplyOk);
  EXPECT_EQ(link.replyCount(), 5);
  EXPECT_EQ(link.reply(4), 1);
  EXPECT_EQ(link.TextResponse, "[57] [65] [70] [0] [1] [2] [3]");

  port.written.clear();
  ASSERT_TRUE(link.Transact(true, {112, 0}));
  EXPECT_EQ(port.written.front(), 23);  // toggle 0, no resync
  EXPECT_EQ(port.written.size(), 5u);
  ASSERT_TRUE(link.Transact(true, {112, 0}));
  EXPECT_EQ(port.written[5], 87);
  EXPECT_TRUE(prompter.entries.empty());

  link.setModuleAddress(6);  // an address change resynchronises again
  port.written.clear();
  link.Transact(true, {112, 0});
  EXPECT_EQ(std::vector<uint8_t>(port.written.begin(), port.written.begin() + 9), kResync);
}

TEST_F(DirectLink, BadChecksumIgnoredAndFollowingGoodReplyAccepted) {
  open();
  port.responder = [this](const std::vector<uint8_t>& bytes) {
    for (const auto& f : parser.feed(bytes)) {
      if (!f.wantsReply()) continue;
      auto bad = ReplyFrame(f.start, {112, 3, 9});
      bad.back() ^= 1;
      port.queue(bad);
      port.queue({0x80, 0xFF});  // noise with bit 7 set
      port.queue(ReplyFrame(f.start, {112, 3, 10}));
    }
  };
  link.Transact(true, {112, 3});
  EXPECT_TRUE(link.ReplyOk);
  EXPECT_EQ(link.reply(4), 10);
  EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(DirectLink, InvalidRepliesGiveExactMessageAndKeepReply) {
  open();
  struct Case {
    int toggleFlip;  // answer with the other toggle bit
    uint8_t header;
    std::string text;
  };
  const Case cases[] = {
      {0, 66,
       "Invalid response received, \nReceived: Addr = 67 Header = 66\nExpected: Addr = 3 Header > 95 "},
      {64, 98,
       "Invalid response received, \nReceived: Addr = 67 Header = 98\nExpected: Addr = 3 Header > 95 "},
  };
  for (const Case& c : cases) {
    prompter.clear();
    port.responder = [this, c](const std::vector<uint8_t>& bytes) {
      for (const auto& f : parser.feed(bytes))
        if (f.wantsReply()) port.queue(ReplyFrame(f.start ^ c.toggleFlip, {112, 0}, c.header));
    };
    EXPECT_TRUE(link.Transact(true, {112, 0}));
    EXPECT_FALSE(link.ReplyOk);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{c.text});
    EXPECT_EQ(link.reply(1), c.header);
    EXPECT_TRUE(link.opts.CheckVornBD);
  }
  // Header 80 (with its extended-address bit) is rejected too, after the byte's own message.
  prompter.clear();
  port.responder = [this](const std::vector<uint8_t>& bytes) {
    for (const auto& f : parser.feed(bytes))
      if (f.wantsReply()) port.queue(ReplyFrame(f.start, {5}, 80));
  };
  link.Transact(true, {112, 0});
  EXPECT_FALSE(link.ReplyOk);
  EXPECT_EQ(prompter.texts(), (std::vector<std::string>{
                                  "Unexpected eXtended Address Byte 5",
                                  "Invalid response received, \nReceived: Addr = 67 Header = 80\nExpected: "
                                  "Addr = 3 Header > 95 "}));
}

TEST_F(DirectLink, NoReplyClearsBidirectionalAndStepsToggle) {
  open();
  const double t0 = clock.now();
  EXPECT_TRUE(link.Transact(true, {112, 0}));
  EXPECT_FALSE(link.ReplyOk);
  EXPECT_NEAR(clock.now() - t0, 2.0, 0.01);
  EXPECT_EQ(prompter.texts(),
            std::vector<std::string>{"No response received, resetting bidirectional communication"});
  EXPECT_FALSE(link.opts.CheckVornBD);
  EXPECT_EQ(link.LinkToggle, 0);

  // Now one-way: the frame asks for no answer and the call returns at once.
  prompter.clear();
  port.written.clear();
  const double t1 = clock.now();
  EXPECT_TRUE(link.Transact(true, {112, 0}));
  EXPECT_FALSE(link.ReplyOk);
  EXPECT_EQ(clock.now(), t1);
  EXPECT_EQ(port.written[1], 192 + 2);
  EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(DirectLink, CountZeroFrameIsStartHeaderCheck) {
  open();
  link.LinkToggle = 0;
  link.opts.CheckVornBD = false;
  link.Transact(false, {});
  EXPECT_EQ(port.written, (std::vector<uint8_t>{3, 192, 189}));
}

TEST_F(DirectLink, ExtendedAddressByteMessages) {
  open();
  struct Case {
    bool option;
    int expected;
    uint8_t received;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {true, 7, 7, {}},
      {true, 7, 9, {"Incorrect eXtended Address byte \nReceived 9 Expected 7"}},
      {false, 0, 9, {"Unexpected eXtended Address Byte 9"}},
  };
  for (const Case& c : cases) {
    prompter.clear();
    link.opts.CheckXaddress = c.option;
    link.opts.ExtAddress = c.expected;
    port.responder = [this, c](const std::vector<uint8_t>& bytes) {
      for (const auto& f : parser.feed(bytes)) {
        if (!f.wantsReply()) continue;
        std::vector<uint8_t> r{f.start,   128 + 96 + 16 + 3, static_cast<uint8_t>(128 + c.received),
                               128 + 112, 128 + 0,           128 + 4};
        r.push_back(FrameCheckByte(r));
        port.queue(r);
      }
    };
    link.Transact(true, {112, 0});
    EXPECT_EQ(prompter.texts(), c.texts);
    EXPECT_TRUE(link.ReplyOk);  // the direct link still takes the reply
    EXPECT_EQ(link.reply(4), 4);
  }
}

TEST_F(DirectLink, PalkFrameResyncsOnceAndLeavesToggle) {
  open();
  link.SendPalkFrame(23, 1, 2, 3);
  std::vector<uint8_t> expected = kResync;
  expected.insert(expected.end(), {23, 128, 128, 128, 233, 23, 129, 130, 131});
  expected.push_back(static_cast<uint8_t>(128 + (128 - (23 + 1 + 2 + 3) % 128) % 128));
  EXPECT_EQ(port.written, expected);
  EXPECT_EQ(link.LinkToggle, 64);
  port.written.clear();
  link.opts.CheckKestro = true;  // Palk frames never go through the tunnel
  link.SendPalkFrame(23, 1, 2, 3);
  EXPECT_EQ(port.written.size(), 5u);
  EXPECT_EQ(link.LinkToggle, 64);
}

TEST_F(DirectLink, PortVanishingEndsTransactionOnceAndClosesPort) {
  open();
  port.vanishOnWait = true;
  EXPECT_FALSE(link.Transact(true, {112, 0}));
  EXPECT_FALSE(link.ReplyOk);
  EXPECT_FALSE(port.isOpen());
  EXPECT_TRUE(link.portLost());
  ASSERT_EQ(prompter.entries.size(), 1u);
  EXPECT_NE(prompter.last().find("/dev/fake0"), std::string::npos);
  EXPECT_TRUE(link.opts.CheckVornBD);  // not the device's fault

  // A write failure behaves the same way, and a new pick brings the port back.
  prompter.clear();
  port.vanishOnWait = false;
  ASSERT_TRUE(link.openDevice("/dev/fake0"));
  EXPECT_FALSE(link.portLost());
  port.failWrite = true;
  EXPECT_FALSE(link.Transact(true, {112, 0}));
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(prompter.entries.size(), 1u);
}

TEST_F(DirectLink, BitRateChangeReopensPickedPortOnly) {
  link.setBitRateIndex(2);
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(port.baudRate(), 38400);
  open();
  link.LinkToggle = 0;
  link.setBitRateIndex(0);
  EXPECT_TRUE(port.isOpen());
  EXPECT_EQ(port.baudRate(), 9600);
  EXPECT_EQ(link.LinkToggle, 128);
  EXPECT_EQ(port.openCount, 2);
}

}  // namespace
