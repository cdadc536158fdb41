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
      if (b < 128) raw_.clear();
      if (b >= 128 && raw_.empty()) continue;  // no frame started
      raw_.push_back(b);
      if (raw_.size() < 2 || raw_.size() < 3u + ((raw_[1] & 0x10) ? 1 : 0) + raw_[1] % 16) continue;
      if (FrameCheckByte({raw_.begin(), raw_.end() - 1}) == raw_.back()) {
        HostFrame f{raw_[0], static_cast<uint8_t>(raw_[1] & 0x7F), std::nullopt, {}};
        const size_t first = (raw_[1] & 0x10) ? 3 : 2;
        if (first == 3) f.extAddress = raw_[2] & 0x7F;
        for (size_t i = first; i + 1 < raw_.size(); ++i) f.data.push_back(raw_[i] & 0x7F);
        done.push_back(f);
      }
      raw_.clear();
    }
    return done;
  }

 private:
  std::vector<uint8_t> raw_;  // the frame so far, from its start byte
};

}  // namespace vorn::test
