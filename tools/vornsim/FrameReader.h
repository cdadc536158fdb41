#pragma once
// Receiver for the direct serial line: finds the resynchronisation pattern, Vorn frames and
// the five-byte Palk frames in the byte stream, one byte at a time.

#include <array>
#include <cstdint>
#include <optional>

#include "Frame.h"

namespace vornsim {

struct RxEvent {
  enum class Kind { Resync, Vorn, Palk, BadChecksum };
  Kind kind = Kind::Vorn;
  Bytes raw;  // every byte of the frame as received (empty for Resync)

  // Vorn frame fields (kind == Vorn).
  std::uint8_t start = 0;
  std::uint8_t header = 0;
  bool hasExt = false;
  std::uint8_t ext = 0;
  Bytes data;  // 7-bit data bytes

  int module() const { return (start >> 2) & 0x0F; }
  bool toggle() const { return (start & 0x40) != 0; }
  bool wantsReply() const { return (header & 0x20) != 0; }
};

class FrameReader {
 public:
  std::optional<RxEvent> feed(std::uint8_t b);
  void reset();

 private:
  std::optional<RxEvent> complete();

  std::array<std::uint8_t, 9> window_{};  // last nine bytes, for the resync pattern
  unsigned windowFill_ = 0;
  Bytes cur_;
  std::size_t expected_ = 0;  // total frame length once the header is known, else 0
  bool inFrame_ = false;
};

}  // namespace vornsim
