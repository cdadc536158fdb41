#include "link/FrameCodec.h"

namespace vorn {

uint8_t CheckByte(const uint8_t* frame, size_t n) {
  if (n == 0) return 128;
  unsigned sum = frame[0];
  for (size_t i = 1; i < n; ++i) {
    sum += frame[i];
    if (sum > 256) sum -= 256;
  }
  unsigned check = (256 - sum) & 255;
  if (check < 128) check += 128;
  return static_cast<uint8_t>(check);
}

bool FrameSumOk(const uint8_t* frame, size_t n) {
  if (n == 0) return false;
  unsigned sum = frame[0];
  for (size_t i = 1; i < n; ++i) sum += frame[i] & 127u;
  return sum % 128 == 0;
}

std::string Hex(unsigned value) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  do {
    out.insert(out.begin(), digits[value & 15]);
    value >>= 4;
  } while (value != 0);
  return out;
}

std::vector<uint8_t> BuildVornFrame(const VornFrameParams& p, const std::vector<uint8_t>& data) {
  const size_t n = data.size() % 16;
  std::vector<uint8_t> frame;
  frame.reserve(n + 4);
  frame.push_back(static_cast<uint8_t>((p.toggle & 64) + VornAddressByte(p.moduleAddress)));
  frame.push_back(static_cast<uint8_t>(128 + 64 + (p.wantAnswer ? 32 : 0) + (p.extended ? 16 : 0) + n));
  if (p.extended) frame.push_back(static_cast<uint8_t>(128 + (p.extAddress & 127)));
  for (size_t i = 0; i < n; ++i) frame.push_back(static_cast<uint8_t>(128 | (data[i] & 127)));
  frame.push_back(CheckByte(frame));
  return frame;
}

std::vector<uint8_t> BuildPalkFrame(uint8_t a, uint8_t c, uint8_t p1, uint8_t p2) {
  std::vector<uint8_t> frame{static_cast<uint8_t>(a & 127), static_cast<uint8_t>(128 | (c & 127)),
                             static_cast<uint8_t>(128 | (p1 & 127)), static_cast<uint8_t>(128 | (p2 & 127))};
  frame.push_back(CheckByte(frame));
  return frame;
}

const std::vector<uint8_t>& ResyncPattern() {
  static const std::vector<uint8_t> pattern{0, 0, 0, 255, 255, 255, 170, 170, 170};
  return pattern;
}

ReplyReceiver::Event ReplyReceiver::feed(uint8_t b) {
  if (b < 128) {
    buf_[0] = b;
    sum_ = b;
    state_ = 1;
    remaining_ = 0;
    return Event::None;
  }
  if (state_ < 1) return Event::None;
  const uint8_t v = b & 127;
  sum_ += v;
  if (state_ == 1) {
    buf_[1] = v;
    remaining_ = b % 16;
    state_ = (b & 16) ? 50 : 2;
    return Event::None;
  }
  if (state_ == 50) {
    ext_ = v;
    state_ = 2;
    return Event::ExtAddressByte;
  }
  if (remaining_ > 0) {
    buf_[static_cast<size_t>(state_)] = v;  // state_ <= 16 here: at most 15 data bytes from index 2
    ++state_;
    --remaining_;
    return Event::None;
  }
  state_ = 0;
  return sum_ % 128 == 0 ? Event::Complete : Event::ChecksumBad;
}

uint8_t TunnelStartByte(int size, int toggle) {
  int coded;
  if (size < 8)
    coded = 40 + size;
  else if (size < 16)
    coded = size - 8;
  else
    coded = size;  // 16..19: bit 4 set, low bits = size - 16
  return static_cast<uint8_t>((toggle ? 64 : 0) + (coded & 63));
}

int TunnelSizeFromStart(uint8_t start) {
  if (start & 8) return start % 8;
  return 8 + start % 8 + ((start & 16) ? 8 : 0);
}

std::vector<uint8_t> BuildTunnelFrame(int toggle, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> frame;
  frame.reserve(payload.size() + 2);
  frame.push_back(TunnelStartByte(static_cast<int>(payload.size()), toggle));
  for (uint8_t b : payload) frame.push_back(static_cast<uint8_t>(128 | (b & 127)));
  frame.push_back(CheckByte(frame));
  return frame;
}

void TunnelReceiver::reset() {
  for (size_t i = 0; i < 20; ++i) buf_[i] = 0;
  started_ = false;
  size_ = 0;
  index_ = 0;
  expected_ = 0;
  line_.clear();
}

TunnelReceiver::Event TunnelReceiver::feed(uint8_t b) {
  if (b < 128) {
    line_ = "< " + Hex(b);
    buf_[0] = b;
    for (size_t i = 1; i < 20; ++i) buf_[i] = 0;
    size_ = TunnelSizeFromStart(b);
    index_ = 1;
    expected_ = size_ + 1;
    started_ = true;
    return Event::None;
  }
  if (!started_) return Event::None;
  const uint8_t v = b & 127;
  line_ += Hex(v);
  // Entries past 19 are outside the checked part of the buffer: such a frame is still read
  // to its end (so the next start byte is found) but nothing is stored out there.
  if (index_ < 20) buf_[static_cast<size_t>(index_)] = v;
  ++index_;
  if (--expected_ > 0) return Event::None;
  started_ = false;
  if (size_ > kMaxCheckedTunnelPayload) {
    buf_[0] = 0;
    return Event::ChecksumBad;
  }
  unsigned sum = 0;
  for (size_t i = 0; i < 20; ++i) sum += buf_[i];
  if (sum % 128 != 0) {
    buf_[0] = 0;
    return Event::ChecksumBad;
  }
  buf_[0] = static_cast<uint8_t>(size_);
  return Event::Complete;
}

int KestroVersion(uint8_t x, uint8_t y) { return (x / 8) * 1000 + (x % 8) * 100 + (y / 8) * 10 + (y % 8); }

}  // namespace vorn
