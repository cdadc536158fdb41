#include <gtest/gtest.h>

#include <numeric>

#include "link/FrameCodec.h"

using namespace vorn;

namespace {
unsigned Sum(const std::vector<uint8_t>& f) { return std::accumulate(f.begin(), f.end(), 0u); }
}  // namespace

TEST(FrameCodec, ReadGeneralSettingFrameForModule5) {
  VornFrameParams p;
  p.moduleAddress = 5;
  p.toggle = 64;
  const auto f = BuildVornFrame(p, {112, 0});
  EXPECT_EQ(f, (std::vector<uint8_t>{87, 226, 240, 128, 215}));
  EXPECT_EQ(Sum(f), 896u);
}

TEST(FrameCodec, EmptyResyncFrameAndPalkFrame) {
  // The empty frame after the resync pattern is A, 192, 192 - A.
  for (int m : {0, 5, 15}) {
    VornFrameParams p;
    p.moduleAddress = m;
    p.wantAnswer = false;
    const uint8_t a = VornAddressByte(m);
    EXPECT_EQ(BuildVornFrame(p, {}), (std::vector<uint8_t>{a, 192, static_cast<uint8_t>(192 - a)}));
    EXPECT_EQ(BuildPalkFrame(a, 0, 0, 0),
              (std::vector<uint8_t>{a, 128, 128, 128, static_cast<uint8_t>(256 - a)}));
  }
  const auto palk = BuildPalkFrame(23, 1, 2, 3);
  EXPECT_EQ(palk.size(), 5u);
  EXPECT_EQ(Sum(palk) % 128, 0u);
}

TEST(FrameCodec, HexIsUpperCaseWithoutLeadingZeros) {
  EXPECT_EQ(Hex(0), "0");
  EXPECT_EQ(Hex(7), "7");
  EXPECT_EQ(Hex(0x7F), "7F");
  EXPECT_EQ(Hex(0xD8), "D8");
}

TEST(ReplyReceiver, DropsBadFrameThenAcceptsGoodOneAndIgnoresNoise) {
  std::array<uint8_t, 21> buf{};
  ReplyReceiver rx(buf);
  // noise before any start byte, a frame with a wrong check byte, then the right one
  const std::vector<uint8_t> bytes{0xFF, 0x81, 87, 227, 240, 128, 129, 130, 200, 87, 227, 240, 128, 133, 209};
  std::vector<ReplyReceiver::Event> events;
  for (uint8_t b : bytes) events.push_back(rx.feed(b));
  EXPECT_EQ(events[7], ReplyReceiver::Event::ChecksumBad);
  EXPECT_EQ(events.back(), ReplyReceiver::Event::Complete);
  EXPECT_EQ(buf[0], 87);
  EXPECT_EQ(buf[1], 99);
  EXPECT_EQ(buf[2], 112);
  EXPECT_EQ(buf[4], 5);
}

TEST(ReplyReceiver, ExtendedAddressByteIsReportedNotStored) {
  std::array<uint8_t, 21> buf{};
  ReplyReceiver rx(buf);
  // start 3, header 96+16+1, ext 42, data 9, check
  std::vector<uint8_t> f{3, 128 + 113, 128 + 42, 128 + 9};
  unsigned s = 3 + 113 + 42 + 9;
  f.push_back(static_cast<uint8_t>(128 + (128 - s % 128) % 128));
  ReplyReceiver::Event last{};
  for (uint8_t b : f) {
    last = rx.feed(b);
    if (last == ReplyReceiver::Event::ExtAddressByte) {
      EXPECT_EQ(rx.extByte(), 42);
    }
  }
  EXPECT_EQ(last, ReplyReceiver::Event::Complete);
  EXPECT_EQ(buf[2], 9);
}

TEST(ReplyReceiver, NewStartByteAbandonsFrameInProgress) {
  std::array<uint8_t, 21> buf{};
  ReplyReceiver rx(buf);
  for (uint8_t b : {87, 227, 240}) rx.feed(b);
  ReplyReceiver::Event last{};
  for (uint8_t b : {3, 192, 189}) last = rx.feed(b);
  EXPECT_EQ(last, ReplyReceiver::Event::Complete);
  EXPECT_EQ(buf[0], 3);
}

TEST(TunnelCodec, StartBytesAndEmptyPolls) {
  EXPECT_EQ(BuildTunnelFrame(0, {}), (std::vector<uint8_t>{40, 216}));
  EXPECT_EQ(BuildTunnelFrame(1, {}), (std::vector<uint8_t>{104, 152}));
  struct Case {
    int size, toggle;
    uint8_t start;
  };
  for (const Case& c : {Case{8, 0, 0}, Case{8, 1, 64}, Case{3, 0, 43}, Case{3, 1, 107}, Case{15, 0, 7},
                        Case{16, 0, 16}, Case{19, 1, 83}}) {
    EXPECT_EQ(TunnelStartByte(c.size, c.toggle), c.start) << c.size;
  }
  for (int s = 0; s <= 19; ++s) {
    EXPECT_EQ(TunnelSizeFromStart(TunnelStartByte(s, 0)), s);
    EXPECT_EQ(TunnelSizeFromStart(TunnelStartByte(s, 1)), s);
  }
  EXPECT_EQ(TunnelSizeFromStart(23), 23);  // the most a start byte can announce
}

TEST(TunnelReceiver, AcceptsFrameAndKeepsSizeInEntry0) {
  std::array<uint8_t, 21> buf{};
  buf.fill(99);
  TunnelReceiver rx(buf);
  rx.reset();
  const auto f = BuildTunnelFrame(1, {1, 2, 26, 0});
  TunnelReceiver::Event last{};
  for (uint8_t b : std::vector<uint8_t>{0xAA, 0x85}) EXPECT_EQ(rx.feed(b), TunnelReceiver::Event::None);
  for (uint8_t b : f) last = rx.feed(b);
  EXPECT_EQ(last, TunnelReceiver::Event::Complete);
  EXPECT_EQ(buf[0], 4);
  EXPECT_EQ(buf[3], 26);
  EXPECT_EQ(buf[5], f.back() & 127);
  EXPECT_EQ(buf[6], 0);
  EXPECT_EQ(rx.logLine(), "< 6C" + std::string("121A0") + Hex(f.back() & 127));
}

TEST(TunnelReceiver, RejectsBadSumAndOverlongFramesWithoutOverrun) {
  std::array<uint8_t, 21> buf{};
  TunnelReceiver rx(buf);
  rx.reset();
  auto bad = BuildTunnelFrame(0, {1, 2});
  bad.back() ^= 1;
  TunnelReceiver::Event last{};
  for (uint8_t b : bad) last = rx.feed(b);
  EXPECT_EQ(last, TunnelReceiver::Event::ChecksumBad);
  EXPECT_EQ(buf[0], 0);

  // Sizes 19..23 put the check byte outside the 20 checked entries: never accepted, the
  // whole frame is consumed, and nothing lands past the buffer.
  for (uint8_t start : {19, 20, 23}) {
    const int s = TunnelSizeFromStart(start);
    std::vector<uint8_t> f{start};
    for (int i = 0; i < s; ++i) f.push_back(128 + 1);
    f.push_back(CheckByte(f));
    buf[20] = 77;
    for (uint8_t b : f) last = rx.feed(b);
    EXPECT_EQ(last, TunnelReceiver::Event::ChecksumBad) << s;
    EXPECT_EQ(buf[20], 77);
  }
  // 18 payload bytes still fit and are checked
  const auto ok = BuildTunnelFrame(0, std::vector<uint8_t>(18, 5));
  for (uint8_t b : ok) last = rx.feed(b);
  EXPECT_EQ(last, TunnelReceiver::Event::Complete);
  EXPECT_EQ(buf[0], 18);
}

TEST(TunnelCodec, VersionNumbers) {
  EXPECT_EQ(KestroVersion(25, 0), 3100);
  EXPECT_EQ(KestroVersion(26, 0), 3200);
  EXPECT_EQ(KestroVersion(8, 16), 1020);
  EXPECT_EQ(KestroVersion(8, 8), 1010);
  EXPECT_EQ(KestroVersion(8, 24), 1030);
}
