#pragma once
// Byte-level helpers shared by the Vorn frame and the tunnel frame: both close with a check
// byte that makes the start byte plus the low seven bits of every later byte a multiple of 128.

#include <cstdint>
#include <vector>

namespace vornsim {

using Bytes = std::vector<std::uint8_t>;

// Check byte (bit 7 set) for a frame whose bytes so far are `bytes` (start byte first).
inline std::uint8_t checkByteFor(const Bytes& bytes) {
  unsigned sum = 0;
  for (std::uint8_t b : bytes) sum += b & 0x7Fu;
  return static_cast<std::uint8_t>(0x80u | ((128u - sum % 128u) % 128u));
}

// True when a complete frame (check byte included) adds up.
inline bool frameSumOk(const Bytes& frame) {
  unsigned sum = 0;
  for (std::uint8_t b : frame) sum += b & 0x7Fu;
  return frame.size() >= 2 && sum % 128u == 0;
}

// A reply in the Vorn frame layout: same start byte as the request, header 224 + 16X + count.
inline Bytes buildVornReply(std::uint8_t start, bool withExt, std::uint8_t ext, const Bytes& data) {
  Bytes out;
  out.reserve(data.size() + 4);
  out.push_back(start & 0x7Fu);
  out.push_back(static_cast<std::uint8_t>(0xE0u | (withExt ? 0x10u : 0u) | (data.size() & 0x0Fu)));
  if (withExt) out.push_back(static_cast<std::uint8_t>(0x80u | (ext & 0x7Fu)));
  for (std::uint8_t d : data) out.push_back(static_cast<std::uint8_t>(0x80u | (d & 0x7Fu)));
  out.push_back(checkByteFor(out));
  return out;
}

}  // namespace vornsim
