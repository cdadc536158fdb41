#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "FakeSerialPort.h"
#include "FrameBuilder.h"
#include "RecordingPrompter.h"
#include "link/FeedbackMonitor.h"
#include "link/Kestro.h"
#include "link/Link.h"

using namespace vorn;
using namespace vorn::test;

namespace {

using Bytes = std::vector<uint8_t>;

// Kestro side of the tunnel, written from the frame table rather than the link's codec.
Bytes KestroFrame(const Bytes& payload) {
  const size_t s = payload.size();
  Bytes f{static_cast<uint8_t>(s < 8 ? 40 + s : s < 16 ? s - 8 : s)};
  for (uint8_t b : payload) f.push_back(static_cast<uint8_t>(128 + b));
  f.push_back(FrameCheckByte(f));
  return f;
}

struct Tunnel : ::testing::Test {
  FakeClock clock;
  FakeSerialPort port{clock};
  RecordingPrompter prompter;
  Link link{port, clock, prompter};
  std::vector<Bytes> sent;                    // payloads the host sent
  Bytes starts;                               // their start bytes
  std::function<Bytes(const Bytes&)> answer;  // to each payload; none = a silent Kestro system
  std::optional<Bytes> pending;               // the tunnelled Vorn reply the next poll delivers

  void SetUp() override {
    ASSERT_TRUE(link.openDevice("/dev/fake0"));
    link.opts.CheckKestro = true;
    port.responder = [this](const Bytes& frame) {
      clock.advance(0.002);  // a round trip takes time, so polling loops end on the fake clock too
      starts.push_back(frame.front());
      Bytes payload;
      for (size_t i = 1; i + 1 < frame.size(); ++i) payload.push_back(frame[i] & 127);
      sent.push_back(payload);
      if (answer) port.queue(KestroFrame(answer(payload)));
    };
  }

  // A Kestro system of protocol byte `protocol` (25 is 3.1, 26 is 3.2) tunnelling to a Vorn that
  // answers `vornReply`.
  void kestro(uint8_t protocol, Bytes iface = {}, Bytes vornReply = {0, 101, 99, 112, 0, 9}) {
    answer = [=, this](const Bytes& p) {
      if (p == Bytes{1, 2}) return Bytes{1, 2, protocol, 0};
      if (p == Bytes{1, 10}) return iface;
      if (p.size() >= 3 && p[0] == 0 && (p[2] & 32)) pending = vornReply;  // header bit B: answer awaited
      if (!p.empty() || !pending) return Bytes{};
      const Bytes r = *pending;
      pending.reset();
      return r;
    };
  }
};

// Module 5 reads general item 0: the command goes out with toggle 0, the reply comes with the
// poll after it and is reshaped into a direct reply; a write ends with one poll as well.
TEST_F(Tunnel, CommandsArePolledAndRepliesReshapedIntoDirectOnes) {
  link.opts.ModuleAddress = 5;
  kestro(26);
  ASSERT_TRUE(link.Transact(true, {112, 0}));
  EXPECT_TRUE(link.ReplyOk);
  EXPECT_EQ(sent, (std::vector<Bytes>{{0, 101, 98, 112, 0}, {}}));
  EXPECT_EQ(starts, (Bytes{45, 104}));  // 5 payload bytes with toggle 0, then toggle 1
  EXPECT_EQ(Bytes(link.ReplyBuffer.begin(), link.ReplyBuffer.begin() + 5), (Bytes{23, 99, 112, 0, 9}));
  EXPECT_EQ(link.LinkToggle, 128);  // the direct link's state is left alone
  EXPECT_EQ(link.log.text().substr(0, 14), "> 2D065627001C");

  sent.clear();
  ASSERT_TRUE(link.Transact(false, {96, 1, 5}));
  EXPECT_EQ(sent.size(), 2u);
  EXPECT_TRUE(sent[1].empty());
  EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(Tunnel, ExtendedAddressInTunnel) {
  link.opts.ModuleAddress = 5;
  link.opts.ExtAddress = 7;
  struct Case {
    uint8_t ext;
    bool option;
    uint8_t header;  // [1] afterwards
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {7, true, 115, {}},
      {9, true, 0, {"Incorrect eXtended Address byte \nReceived 9 Expected 7"}},
      {9, false, 0, {"Unexpected eXtended Address Byte 9"}},
  };
  for (const Case& c : cases) {
    prompter.clear();
    sent.clear();
    link.opts.CheckXaddress = c.option;
    kestro(26, {}, {0, 101, 115, c.ext, 112, 0, 9});
    ASSERT_TRUE(link.Transact(true, {112, 0}));
    EXPECT_EQ(sent[0][2], c.option ? 112 + 2 : 96 + 2);
    EXPECT_EQ(link.reply(1), c.header);
    if (c.header) {
      EXPECT_EQ(link.reply(4), 9);
    }
    EXPECT_EQ(prompter.texts(), c.texts);
  }
}

TEST_F(Tunnel, SilentKestroAndBadChecksum) {
  EXPECT_FALSE(link.Transact(true, {112, 0}));
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"No answer from Kestro"});
  EXPECT_EQ(prompter.entries[0].icon, Icon::Warning);

  prompter.clear();
  port.responder = [this](const Bytes&) {
    auto f = KestroFrame({1, 2});
    f.back() ^= 2;
    port.queue(f);
  };
  EXPECT_FALSE(link.TunnelSend({}));
  ASSERT_EQ(prompter.entries.size(), 2u);
  EXPECT_EQ(prompter.texts()[0].rfind("Checksum Error\nSize = 2< 2A12", 0), 0u) << prompter.texts()[0];
  EXPECT_EQ(prompter.texts()[1], "No answer from Kestro");
  EXPECT_EQ(link.reply(0), 0);
}

TEST_F(Tunnel, PollsAnsweredWithoutOurReplyEndAsNoReplyWithinWindow) {
  answer = [](const Bytes&) { return Bytes{}; };
  const double t0 = clock.now();
  port.responder = [this, inner = port.responder](const Bytes& f) {
    clock.advance(0.1);  // each poll round trip takes a while
    inner(f);
  };
  EXPECT_FALSE(link.Transact(true, {112, 0}));
  EXPECT_FALSE(link.ReplyOk);
  EXPECT_LE(clock.now() - t0, 2.2);
  EXPECT_GE(sent.size(), 15u);
}

TEST_F(Tunnel, EnablingChecksProtocolVersion) {
  struct Case {
    Bytes protoAnswer;
    bool checked;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {{1, 2, 25, 0}, false, {"Your system does not support this function\nProtocol = 3.100"}},
      {{1, 2, 26, 0}, true, {}},
      {{1, 2, 26}, false, {"Your system does not support this function"}},
  };
  for (const Case& c : cases) {
    prompter.clear();
    sent.clear();
    answer = [c](const Bytes& p) { return p == Bytes{1, 2} ? c.protoAnswer : Bytes{}; };
    link.TunnelToggle = 0;
    const auto r = CheckKestroEnable(link, true, true);
    EXPECT_EQ(r.checked, c.checked);
    EXPECT_EQ(link.opts.CheckKestro, c.checked);
    EXPECT_EQ(r.setTMVisible, !c.checked);
    EXPECT_EQ(sent, (std::vector<Bytes>{{}, {1, 2}, {}}));
    EXPECT_EQ(starts[starts.size() - 3], 104);  // the first poll goes out with toggle 1
    EXPECT_EQ(prompter.texts(), c.texts);
    for (const auto& e : prompter.entries) EXPECT_EQ(e.icon, Icon::Warning);
  }
  EXPECT_TRUE(CheckKestroEnable(link, false, false).setTMVisible);
}

TEST_F(Tunnel, EnablingNeedsOpenPortAndAnAnswer) {
  auto r = CheckKestroEnable(link, true, true);  // nobody answers
  EXPECT_FALSE(r.checked);
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"No answer from Kestro"});
  link.closePort();
  prompter.clear();
  r = CheckKestroEnable(link, true, true);
  EXPECT_FALSE(r.checked);
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Select communications port"});
}

TEST_F(Tunnel, TransparentModeByInterfaceTypeAndVersion) {
  struct Case {
    Bytes iface;
    bool switched;
    std::string text;
  };
  const Case cases[] = {
      {{1, 10, 2, 8, 16}, true, "Your Lintor has been put in Transparent Mode"},
      {{1, 10, 2, 8, 8}, false, "Your Lintor does not support this function"},
      {{1, 10, 10, 8, 24}, true, "Your Pardo has been put in Transparent Mode"},
      {{1, 10, 10, 8, 16}, false, "Your Pardo does not support this function"},
      {{1, 10, 3, 0, 0}, true, "Your Corvel has been put in Transparent Mode"},
      {{1, 10, 7, 8, 24}, false, "Your system does not support this function"},
      {{1, 10, 2, 8}, false, "Your system does not support this function"},
  };
  link.opts.CheckKestro = false;
  for (const Case& c : cases) {
    prompter.clear();
    sent.clear();
    kestro(25, c.iface);
    EXPECT_EQ(SetTransparentMode(link), c.switched) << c.text;
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{c.text});
    EXPECT_EQ(prompter.entries[0].icon, c.switched ? Icon::Information : Icon::Warning);
    EXPECT_EQ(sent.back() == Bytes({1, 5, 16}), c.switched);
    EXPECT_FALSE(link.opts.CheckKestro);
  }
}

struct Monitor : ::testing::Test {
  FakeClock clock;
  FakeSerialPort port{clock};
  RecordingPrompter prompter;
  Link link{port, clock, prompter};
  FeedbackMonitor monitor{link};
  HostFrameParser parser;
  Bytes feedback{0, 5, 127, 3};

  void SetUp() override {
    port.responder = [this](const Bytes& bytes) {
      for (const auto& f : parser.feed(bytes))
        if (f.wantsReply()) port.queue(ReplyFrame(f.start, feedback));
    };
  }
};

TEST_F(Monitor, ListsFourByteAnswersAndSaysOnceWhenNoneAreAskedFor) {
  EXPECT_FALSE(monitor.start());
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Select Comm-port"});
  ASSERT_TRUE(link.openDevice("/dev/fake0"));
  EXPECT_TRUE(monitor.start());
  EXPECT_TRUE(monitor.start());
  monitor.tick();
  feedback = {1, 2, 3};  // not four bytes: nothing listed
  monitor.tick();
  link.opts.CheckVornBD = false;
  for (int i = 0; i < 3; ++i) monitor.tick();
  monitor.stop();
  EXPECT_FALSE(monitor.running());
  EXPECT_EQ(monitor.text(),
            "Start Monitoring\n<0> <5> <127> <3> \nNo feedback: \"Bidirectional Comm.\" is off, so the Vorn "
            "is not asked to answer\nMonitoring Stopped\n");
  EXPECT_EQ(prompter.entries.size(), 1u);
}

TEST_F(Monitor, KeepsTheLastLinesAndReportsEachAppend) {
  ASSERT_TRUE(link.openDevice("/dev/fake0"));
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

TEST_F(Monitor, StopsWhenPortGoesAwayInsteadOfNaggingEveryTick) {
  ASSERT_TRUE(link.openDevice("/dev/fake0"));
  monitor.start();
  port.vanishOnWait = true;
  port.responder = nullptr;
  for (int i = 0; i < 5; ++i) monitor.tick();
  EXPECT_FALSE(monitor.running());
  EXPECT_EQ(prompter.entries.size(), 1u);  // the one port-failure message
  EXPECT_EQ(monitor.text(), "Start Monitoring\nMonitoring Stopped\n");

  // A silent Kestro system: the link's one message, then the monitor stops.
  prompter.clear();
  monitor.clear();
  port.vanishOnWait = false;
  ASSERT_TRUE(link.openDevice("/dev/fake0"));
  link.opts.CheckKestro = true;
  monitor.start();
  for (int i = 0; i < 5; ++i) monitor.tick();
  EXPECT_FALSE(monitor.running());
  EXPECT_EQ(prompter.entries.size(), 1u) << prompter.last();
  EXPECT_EQ(monitor.text(), "Start Monitoring\nMonitoring Stopped\n");
}

}  // namespace
