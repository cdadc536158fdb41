#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "FakeSerialPort.h"
#include "FrameBuilder.h"
#include "RecordingPrompter.h"
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
// poll after it and is reshaped into a direct reply. An extended address byte in the reply is
// checked; a wrong or unexpected one leaves the reply unusable (header 0).
TEST_F(Tunnel, CommandsArePolledAndRepliesReshapedIntoDirectOnes) {
  link.opts.ModuleAddress = 5;
  link.opts.ExtAddress = 7;
  struct Case {
    bool xaddr;
    Bytes vornReply;
    Bytes reshaped;  // ReplyBuffer[0..4] afterwards
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {false, {0, 101, 99, 112, 0, 9}, {23, 99, 112, 0, 9}, {}},
      {true, {0, 101, 115, 7, 112, 0, 9}, {23, 115, 112, 0, 9}, {}},
      {true,
       {0, 101, 115, 9, 112, 0, 9},
       {23, 0, 101, 115, 9},
       {"Incorrect eXtended Address byte \nReceived 9 Expected 7"}},
      {false, {0, 101, 115, 9, 112, 0, 9}, {23, 0, 101, 115, 9}, {"Unexpected eXtended Address Byte 9"}},
  };
  for (const Case& c : cases) {
    prompter.clear();
    sent.clear();
    starts.clear();
    link.opts.CheckXaddress = c.xaddr;
    kestro(26, {}, c.vornReply);
    ASSERT_TRUE(link.Transact(true, {112, 0}));
    EXPECT_EQ(sent,
              (std::vector<Bytes>{c.xaddr ? Bytes{0, 101, 114, 7, 112, 0} : Bytes{0, 101, 98, 112, 0}, {}}));
    EXPECT_EQ(starts, (Bytes{static_cast<uint8_t>(40 + sent[0].size()), 104}));  // toggle 0, then 1
    EXPECT_EQ(Bytes(link.ReplyBuffer.begin(), link.ReplyBuffer.begin() + 5), c.reshaped);
    EXPECT_EQ(prompter.texts(), c.texts);
  }
  EXPECT_EQ(link.LinkToggle, 128);  // the direct link's state is left alone
  EXPECT_EQ(link.log.text().substr(0, 14), "> 2D065627001C");
}

// The reply of another module is not ours: the polls go on until the window ends.
TEST_F(Tunnel, ReplyOfAnotherModuleEndsAsNoReplyWithinTheWindow) {
  link.opts.ModuleAddress = 5;
  kestro(26, {}, {0, 102, 99, 112, 0, 9});
  const double t0 = clock.now();
  EXPECT_FALSE(link.Transact(true, {112, 0}));
  EXPECT_LE(clock.now() - t0, 2.1);
  EXPECT_EQ(prompter.texts(),
            std::vector<std::string>{"No response received from module 5 through the Kestro interface"});
}

TEST_F(Tunnel, SilentKestroAndBadChecksum) {
  EXPECT_FALSE(link.Transact(true, {112, 0}));
  EXPECT_EQ(prompter.texts(),
            std::vector<std::string>{"No answer from Kestro\nCheck the Kestro interface's power "
                                     "and cable and the bit rate (19200 bit/s); a Vorn cabled "
                                     "straight to this port needs \"Use Kestro Tunneling\" "
                                     "unticked."});
  prompter.clear();  // the hint comes once a job
  port.responder = [this](const Bytes&) {
    auto f = KestroFrame({1, 2});
    f.back() ^= 2;
    port.queue(f);
  };
  EXPECT_FALSE(link.TunnelSend({}));
  ASSERT_EQ(prompter.entries.size(), 2u);
  EXPECT_EQ(prompter.texts()[0].rfind("Checksum Error\nSize = 2< 2A12", 0), 0u) << prompter.texts()[0];
  EXPECT_EQ(prompter.texts()[1], "No answer from Kestro");
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
  prompter.clear();
  link.closePort();
  EXPECT_FALSE(CheckKestroEnable(link, true, true).checked);
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
  }
  kestro(26, cases[0].iface);  // protocol 3200 tunnels: the tunnel is recommended instead (declined)
  prompter.answers = {false};
  EXPECT_FALSE(SetTransparentMode(link));
  EXPECT_EQ(prompter.texts().back().rfind("Your Kestro system supports Vorn Tunneling\n", 0), 0u);
}

}  // namespace
