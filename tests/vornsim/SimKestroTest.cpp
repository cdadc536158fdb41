#include <gtest/gtest.h>

#include "SimSession.h"

namespace vorn::test {
namespace {

// Tunnel frame: start byte codes the size (40 + s below 8, s - 8 up to 15, 16 + (s - 16) above).
ByteList tunnelFrame(const ByteList& payload, bool toggle) {
  const std::size_t s = payload.size();
  std::uint8_t start =
      s < 8 ? static_cast<std::uint8_t>(40 + s) : static_cast<std::uint8_t>(s < 16 ? s - 8 : 16 + (s - 16));
  if (toggle) start |= 64;
  ByteList f{start};
  for (auto b : payload) f.push_back(static_cast<std::uint8_t>(128 + b));
  f.push_back(check7(f));
  return f;
}

// Reads one tunnel frame and returns its payload (nullopt on timeout or a bad frame).
std::optional<ByteList> readTunnel(RawPort& port) {
  ByteList start = port.read(1);
  if (start.empty() || start[0] >= 128) return std::nullopt;
  const int t = start[0];
  const int s = (t & 8) ? t % 8 : 8 + t % 8 + 8 * ((t >> 4) & 1);
  ByteList rest = port.read(static_cast<std::size_t>(s) + 1);
  if (rest.size() != static_cast<std::size_t>(s) + 1) return std::nullopt;
  ByteList all = start;
  all.insert(all.end(), rest.begin(), rest.end());
  if (all.back() != check7(ByteList(all.begin(), all.end() - 1))) return std::nullopt;
  ByteList payload;
  for (int i = 0; i < s; ++i) payload.push_back(rest[i] & 0x7F);
  return payload;
}

struct KestroSession {
  explicit KestroSession(std::vector<std::string> args) : sim(std::move(args)) {
    if (sim.ok()) port = std::make_unique<RawPort>(sim.path());
  }
  std::optional<ByteList> send(const ByteList& payload) {
    port->write(tunnelFrame(payload, toggle));
    toggle = !toggle;
    return readTunnel(*port);
  }
  SimProcess sim;
  std::unique_ptr<RawPort> port;
  bool toggle = true;
};

TEST(SimKestro, AnswersPollsAndTheVersionQueries) {
  KestroSession k({"--kestro", "lintor", "--protocol", "3.1", "--iface-version", "1.020"});
  ASSERT_TRUE(k.sim.ok()) << k.sim.error();
  k.port->write({40, 216});
  EXPECT_EQ(k.port->read(2), (ByteList{40, 216})) << "empty poll, toggle 0";
  k.port->write({104, 152});
  EXPECT_EQ(k.port->read(2), (ByteList{104, 152}));
  k.toggle = false;
  EXPECT_EQ(k.send({1, 2}), (ByteList{1, 2, 25, 0}));
  EXPECT_EQ(k.send({1, 10}), (ByteList{1, 10, 2, 8, 16}));

  // A frame whose toggle repeats the previous one gets the previous answer and counts as refused.
  k.sim.allowRefusals();
  k.toggle = !k.toggle;
  EXPECT_EQ(k.send({1, 2}), (ByteList{1, 10, 2, 8, 16}));
  ASSERT_EQ(k.sim.logLines("REFUSED ").size(), 1u);
  EXPECT_NE(k.sim.logLines("REFUSED ")[0].find("tunnel toggle not flipped"), std::string::npos);
}

TEST(SimKestro, DeliversATunnelledReplyWithTheNextPoll) {
  KestroSession k({"--kestro", "pardo", "--module", "2"});
  ASSERT_TRUE(k.sim.ok()) << k.sim.error();
  EXPECT_EQ(k.send({0, 98, 98, 112, 0}), ByteList{}) << "the command itself gets an empty answer";
  EXPECT_EQ(k.send({}), (ByteList{0, 98, 102, 112, 0, 3, 0, 1, 7}));
  EXPECT_EQ(k.send({}), ByteList{}) << "delivered once";
  // A command for a module that is not there gets no reply at all.
  EXPECT_EQ(k.send({0, 99, 98, 112, 0}), ByteList{});
  EXPECT_EQ(k.send({}), ByteList{});
}

// Twelve identity characters make a 17-byte tunnelled reply (a start byte of the 16..19 form);
// with extended addressing the reply carries the address byte after the header.
TEST(SimKestro, LongRepliesAndExtendedAddressesThroughTheTunnel) {
  KestroSession k({"--kestro", "lintor", "--xaddr", "7"});
  ASSERT_TRUE(k.sim.ok()) << k.sim.error();
  const ByteList id{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L'};
  ByteList write{0, 96, 96 + 14, 96, 10};
  write.insert(write.end(), id.begin(), id.end());
  EXPECT_EQ(k.send(write), ByteList{});
  EXPECT_EQ(k.send({}), (ByteList{0, 96, 98, 96, 10}));
  EXPECT_EQ(k.send({0, 96, 112 + 2, 7, 112, 10}), ByteList{});
  ByteList expected{0, 96, 96 + 16 + 14, 7, 112, 10};
  expected.insert(expected.end(), id.begin(), id.end());
  EXPECT_EQ(k.send({}), expected);
  EXPECT_EQ(k.send({0, 96, 112 + 2, 8, 112, 10}), ByteList{}) << "another extended address";
  EXPECT_EQ(k.send({}), ByteList{});
}

TEST(SimKestro, SwitchesToTransparentModeAndThenSpeaksVornFrames) {
  KestroSession k({"--kestro", "corvel"});
  ASSERT_TRUE(k.sim.ok()) << k.sim.error();
  EXPECT_EQ(k.send({1, 5, 16}), ByteList{});
  k.port->write(kResyncBytes);
  k.port->write(vornFrame(0, false, {}, false));
  k.port->write(vornFrame(0, true, {112, 0}));
  EXPECT_EQ(k.port->read(9), (ByteList{67, 230, 240, 128, 131, 128, 129, 135, 220}));
}

TEST(SimKestro, RecordsPalkFramesWrittenPastTheTunnel) {
  KestroSession k({"--kestro", "lintor"});
  ASSERT_TRUE(k.sim.ok()) << k.sim.error();
  ByteList palk{3, 128 + 2, 128, 128};
  palk.push_back(check7(palk));
  k.port->write(palk);
  ASSERT_TRUE(k.sim.waitForLog("PALK "));
  EXPECT_EQ(k.sim.logLines("PALK ")[0], "PALK a=3 c=2 p1=0 p2=0");
}

TEST(SimExtendedAddress, AnswersOnlyItsOwnExtendedAddress) {
  SimSession s({"--xaddr", "5"});
  ASSERT_TRUE(s.ok()) << s.sim.error();
  s.port->write(vornFrame(0, true, {112, 2}, true, 5));
  const ByteList reply = s.readFrame();
  EXPECT_EQ(reply, (ByteList{67, 243, 133, 240, 130, 133, check7({67, 243, 133, 240, 130, 133})}));
  s.port->write(vornFrame(0, false, {112, 2}, true, 6));
  EXPECT_TRUE(s.readFrame(200).empty());
}

}  // namespace
}  // namespace vorn::test
