#include <gtest/gtest.h>

#include <algorithm>

#include "FakeSerialPort.h"
#include "FrameBuilder.h"
#include "RecordingPrompter.h"
#include "link/FeedbackMonitor.h"
#include "link/FrameCodec.h"
#include "link/Link.h"

using namespace vorn;
using namespace vorn::test;

namespace {

using Bytes = std::vector<uint8_t>;
const Bytes kResync{0, 0, 0, 255, 255, 255, 170, 170, 170};

struct DirectLink : ::testing::Test {
  FakeClock clock;
  FakeSerialPort port{clock};
  RecordingPrompter prompter;
  Link link{port, clock, prompter};
  HostFrameParser parser;

  // Answers every frame that asks for a reply with the bytes `reply` makes of its start byte.
  void answer(std::function<Bytes(uint8_t)> reply) {
    port.responder = [this, reply](const Bytes& bytes) {
      for (const auto& f : parser.feed(bytes))
        if (f.wantsReply()) port.queue(reply(f.start));
    };
  }
  void open() { ASSERT_TRUE(link.openDevice("/dev/fake0")); }
};

TEST_F(DirectLink, FirstFrameAfterOpenIsPrecededByResyncThenToggleSteps) {
  link.setModuleAddress(5);
  open();
  answer([](uint8_t start) { return ReplyFrame(start, {112, 0, 1, 2, 3}); });
  ASSERT_TRUE(link.Transact(true, {112, 0}));
  Bytes expected = kResync;
  expected.insert(expected.end(), {23, 192, 169, 87, 226, 240, 128, 215});
  EXPECT_EQ(port.written, expected);
  EXPECT_TRUE(link.ReplyOk);
  EXPECT_EQ(link.TextResponse, "[57] [65] [70] [0] [1] [2] [3]");  // the reply as it was stored

  port.written.clear();
  ASSERT_TRUE(link.Transact(true, {112, 0}));
  EXPECT_EQ(port.written, (Bytes{23, 226, 240, 128, 151}));  // no resync, toggle 0
  EXPECT_TRUE(prompter.entries.empty());

  link.setModuleAddress(6);  // an address change resynchronises again
  port.written.clear();
  link.Transact(true, {112, 0});
  EXPECT_EQ(Bytes(port.written.begin(), port.written.begin() + 9), kResync);
}

// The start byte must echo the request's (toggle included) and the header be above 95; an
// extended address byte is checked against the expected one but the reply is still taken.
// A frame with a bad check byte and noise before the reply are skipped.
TEST_F(DirectLink, RepliesAreCheckedForStartHeaderAndExtendedAddress) {
  open();
  link.opts.ExtAddress = 71;  // above 63: the upper bits of a data byte count too
  const auto invalid = [](int header) {
    return "Invalid response received, \nReceived: Addr = 67 Header = " + std::to_string(header) +
           "\nExpected: Addr = 3 Header > 95 ";
  };
  struct Case {
    bool xaddr;
    int toggleFlip;
    uint8_t header;
    Bytes data;
    bool ok;
    std::vector<std::string> texts;
    bool junkFirst = false;
  };
  const Case cases[] = {
      {false, 0, 66, {112, 0}, false, {invalid(66)}},
      {false, 64, 98, {112, 0}, false, {invalid(98)}},
      {true, 0, 115, {71, 112, 0, 4}, true, {}},
      {true, 0, 115, {7, 112, 0, 4}, true, {"Incorrect eXtended Address byte \nReceived 7 Expected 71"}},
      {false, 0, 115, {9, 112, 0, 4}, true, {"Unexpected eXtended Address Byte 9"}},
      {false, 0, 99, {112, 3, 10}, true, {}, true},
  };
  for (const Case& c : cases) {
    prompter.clear();
    link.opts.CheckXaddress = c.xaddr;
    answer([c](uint8_t start) {
      Bytes bytes = c.junkFirst ? ReplyFrame(start, {112, 3, 9}) : Bytes{};
      if (c.junkFirst) {
        bytes.back() ^= 1;
        bytes.insert(bytes.end(), {0x80, 0xFF});  // noise with bit 7 set
      }
      const Bytes reply = ReplyFrame(start ^ c.toggleFlip, c.data, c.header);
      bytes.insert(bytes.end(), reply.begin(), reply.end());
      return bytes;
    });
    EXPECT_TRUE(link.Transact(true, {112, 0}));
    EXPECT_EQ(link.ReplyOk, c.ok) << int(c.header);
    EXPECT_EQ(prompter.texts(), c.texts);
    EXPECT_EQ(link.reply(1), c.header);
    EXPECT_EQ(link.reply(2), 112) << "the extended address byte is not stored";
    EXPECT_EQ(link.reply(4), c.data.back());
    EXPECT_TRUE(link.opts.CheckVornBD);
  }
}

TEST_F(DirectLink, NoReplyClearsBidirectionalAndStepsToggle) {
  open();
  const double t0 = clock.now();
  EXPECT_TRUE(link.Transact(true, {112, 0}));
  EXPECT_FALSE(link.ReplyOk);
  EXPECT_NEAR(clock.now() - t0, 2.0, 0.01);
  const std::string noAnswer = "No response received, resetting bidirectional communication";
  const std::string hint =
      "Check that the Vorn has power and its cable is in, that it is module 0 (the module address in use) "
      "and that it runs at 19200 bit/s.";
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{noAnswer + "\n" + hint});
  EXPECT_EQ(link.lastProblem(), noAnswer);
  EXPECT_FALSE(link.opts.CheckVornBD);
  EXPECT_EQ(link.LinkToggle, 0);

  // The hint comes once a job; a Kestro frame where a Vorn reply was due names the option.
  link.opts.CheckVornBD = true;
  link.Transact(true, {112, 0});
  port.queue(BuildTunnelFrame(0, {1, 2, 25, 0}));  // a protocol version answer
  link.beginJob();
  link.opts.CheckVornBD = true;
  link.Transact(true, {112, 0});
  ASSERT_EQ(prompter.texts().size(), 3u);
  EXPECT_EQ(prompter.texts()[1], noAnswer);
  EXPECT_EQ(
      prompter.texts()[2],
      noAnswer + "\n" + hint + "\nA Kestro interface answered on this port: tick \"Use Kestro Tunneling\".");

  // Now one-way: the frame asks for no answer and the call returns at once.
  port.written.clear();
  const double t1 = clock.now();
  EXPECT_TRUE(link.Transact(true, {112, 0}));
  EXPECT_EQ(clock.now(), t1);
  EXPECT_EQ(port.written[1], 192 + 2);

  // Looking for modules: a short window, and the silence kept as the last problem only.
  link.opts.CheckVornBD = true;
  link.setReplyWindow(0.25);
  link.setQuiet(true);
  const double t2 = clock.now();
  link.Transact(true, {112, 0});
  EXPECT_NEAR(clock.now() - t2, 0.25, 0.01);
  EXPECT_EQ(prompter.texts().size(), 3u);
  EXPECT_EQ(link.lastProblem(), noAnswer);
}

// Palk frames never go through the tunnel; the first one after opening closes a resync.
TEST_F(DirectLink, PalkFramesResyncOnceAndLeaveToggle) {
  open();
  link.opts.CheckKestro = true;
  link.SendPalkFrame(23, 1, 2, 3);
  link.SendPalkFrame(23, 1, 2, 3);
  Bytes expected = kResync;
  expected.insert(expected.end(), {23, 128, 128, 128, 233, 23, 129, 130, 131, 227, 23, 129, 130, 131, 227});
  EXPECT_EQ(port.written, expected);
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
  open();
  EXPECT_FALSE(link.portLost());
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

// The feedback monitor sends an empty frame each tick and lists four-byte answers.
struct Monitor : DirectLink {
  FeedbackMonitor monitor{link};
  Bytes feedback{0, 5, 127, 3};
  void SetUp() override {
    answer([this](uint8_t start) { return ReplyFrame(start, feedback); });
  }
};

TEST_F(Monitor, ListsFourByteAnswersAndSaysOnceWhenNoneAreAskedFor) {
  EXPECT_FALSE(monitor.start());
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Select Comm-port"});
  open();
  EXPECT_TRUE(monitor.start());
  EXPECT_TRUE(monitor.start());
  monitor.tick();
  feedback = {1, 2, 3};  // not four bytes: nothing listed
  monitor.tick();
  link.opts.CheckVornBD = false;
  for (int i = 0; i < 3; ++i) monitor.tick();
  monitor.stop();
  EXPECT_EQ(monitor.text(),
            "Start Monitoring\n<0> <5> <127> <3> \nNo feedback: \"Bidirectional Comm.\" is off, so the Vorn "
            "is not asked to answer\nMonitoring Stopped\n");
  EXPECT_EQ(prompter.entries.size(), 1u);
}

TEST_F(Monitor, KeepsTheLastLinesAndReportsEachAppend) {
  open();
  std::string shown;
  monitor.onAppend = [&](const std::string& piece) { shown += piece; };
  monitor.start();
  const size_t ticks = FeedbackMonitor::kMaxLines + 20;
  for (size_t i = 0; i < ticks; ++i) {
    feedback[0] = static_cast<uint8_t>(i % 128);
    monitor.tick();
  }
  const std::string& t = monitor.text();
  EXPECT_EQ(static_cast<size_t>(std::count(t.begin(), t.end(), '\n')), FeedbackMonitor::kMaxLines);
  EXPECT_EQ(t.substr(0, 4), "<" + std::to_string((ticks - FeedbackMonitor::kMaxLines) % 128) + ">");
  // The display saw every line once, in order; the text is its tail.
  EXPECT_EQ(static_cast<size_t>(std::count(shown.begin(), shown.end(), '\n')), ticks + 1);
  EXPECT_EQ(shown.substr(shown.size() - t.size()), t);
}

// A port that goes away, or a silent Kestro system: one message, then the monitor stops.
TEST_F(Monitor, StopsWhenPortGoesAwayInsteadOfNaggingEveryTick) {
  port.responder = nullptr;
  for (bool kestro : {false, true}) {
    prompter.clear();
    monitor.clear();
    open();
    port.vanishOnWait = !kestro;
    link.opts.CheckKestro = kestro;
    monitor.start();
    for (int i = 0; i < 5; ++i) monitor.tick();
    EXPECT_FALSE(monitor.running());
    EXPECT_EQ(prompter.entries.size(), 1u) << prompter.last();
    EXPECT_EQ(monitor.text(), "Start Monitoring\nMonitoring Stopped\n");
  }
}

}  // namespace
