#include <gtest/gtest.h>

#include "link/FrameCodec.h"

using namespace vorn;

namespace {

using Bytes = std::vector<uint8_t>;

template <typename Receiver>
typename Receiver::Event FeedAll(Receiver& rx, const Bytes& bytes) {
  typename Receiver::Event last{};
  for (uint8_t b : bytes) last = rx.feed(b);
  return last;
}

}  // namespace

TEST(ReplyReceiver, NewStartByteAbandonsFrameInProgress) {
  std::array<uint8_t, 21> buf{};
  ReplyReceiver rx(buf);
  FeedAll(rx, {87, 227, 240});
  EXPECT_EQ(FeedAll(rx, {3, 192, 189}), ReplyReceiver::Event::Complete);
  EXPECT_EQ(buf[0], 3);
}

TEST(TunnelCodec, StartBytesAndEmptyPolls) {
  EXPECT_EQ(BuildTunnelFrame(0, {}), (Bytes{40, 216}));
  EXPECT_EQ(BuildTunnelFrame(1, {}), (Bytes{104, 152}));
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

TEST(TunnelReceiver, SkipsNoiseRejectsBadSumsAndOverlongFramesWithoutOverrun) {
  std::array<uint8_t, 21> buf{};
  TunnelReceiver rx(buf);
  rx.reset();
  EXPECT_EQ(FeedAll(rx, {0xAA, 0x85}), TunnelReceiver::Event::None);
  auto bad = BuildTunnelFrame(0, {1, 2});
  bad.back() ^= 1;
  EXPECT_EQ(FeedAll(rx, bad), TunnelReceiver::Event::ChecksumBad);
  EXPECT_EQ(buf[0], 0);

  // Sizes 19..23 put the check byte outside the 20 checked entries: never accepted, the
  // whole frame is consumed, and nothing lands past the buffer.
  for (uint8_t start : {19, 20, 23}) {
    Bytes f{start};
    f.resize(1 + static_cast<size_t>(TunnelSizeFromStart(start)), 128 + 1);
    f.push_back(CheckByte(f));
    buf[20] = 77;
    EXPECT_EQ(FeedAll(rx, f), TunnelReceiver::Event::ChecksumBad) << int(start);
    EXPECT_EQ(buf[20], 77);
  }
  // 18 payload bytes still fit and are checked
  EXPECT_EQ(FeedAll(rx, BuildTunnelFrame(0, Bytes(18, 5))), TunnelReceiver::Event::Complete);
  EXPECT_EQ(buf[0], 18);
}
