#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vorn::test {

// The device side of the Vorn frame format, for fakes that answer the host in unit tests.
// Kept apart from the link's own codec on purpose: the two must agree, not share code.

// Check byte that makes the whole frame add up to a multiple of 128, with bit 7 set.
inline uint8_t FrameCheckByte(const std::vector<uint8_t>& bytesSoFar) {
  unsigned sum = 0;
  for (uint8_t b : bytesSoFar) sum += b;
  return static_cast<uint8_t>(128 + (128 - sum % 128) % 128);
}

// A reply frame as the Vorn sends it: start byte, header 96 + n (with bit 7), the data
// bytes with bit 7, the check byte. `header` overrides the header's low seven bits.
inline std::vector<uint8_t> ReplyFrame(uint8_t start, const std::vector<uint8_t>& data,
                                       std::optional<uint8_t> header = std::nullopt) {
  std::vector<uint8_t> f{start, static_cast<uint8_t>(128 + header.value_or(96 + data.size() % 16))};
  for (uint8_t d : data) f.push_back(static_cast<uint8_t>(128 + (d & 0x7F)));
  f.push_back(FrameCheckByte(f));
  return f;
}

// One frame the host sent: start byte, header (7 bits), extended address if present, data.
struct HostFrame {
  uint8_t start = 0;
  uint8_t header = 0;
  std::optional<uint8_t> extAddress;
  std::vector<uint8_t> data;  // 7-bit values
  bool wantsReply() const { return (header & 0x20) != 0; }
};

// Cuts the host's byte stream into frames. A start byte (bit 7 clear) always begins a new
// frame, so the resynchronisation pattern falls away by itself; frames with a bad check
// byte are dropped, as the Vorn drops them.
class HostFrameParser {
 public:
  // Feeds bytes; returns the frames completed by them.
  std::vector<HostFrame> feed(const std::vector<uint8_t>& bytes) {
    std::vector<HostFrame> done;
    for (uint8_t b : bytes) {
      if (b < 128) {
        cur_ = HostFrame{};
        cur_.start = b;
        sum_ = b;
        state_ = 1;
        continue;
      }
      if (state_ == 0) continue;
      sum_ += b;
      if (state_ == 1) {
        cur_.header = b & 0x7F;
        remaining_ = b % 16;
        state_ = (b & 0x10) ? 3 : 2;
      } else if (state_ == 3) {
        cur_.extAddress = b & 0x7F;
        state_ = 2;
      } else if (remaining_ > 0) {
        cur_.data.push_back(b & 0x7F);
        --remaining_;
      } else {
        if (sum_ % 128 == 0) done.push_back(cur_);
        state_ = 0;
      }
    }
    return done;
  }

 private:
  HostFrame cur_;
  unsigned sum_ = 0;
  int state_ = 0;  // 0 idle, 1 header, 3 extended address, 2 data/check
  int remaining_ = 0;
};

}  // namespace vorn::test
