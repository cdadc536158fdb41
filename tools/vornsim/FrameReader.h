#pragma once
// Receiver for the direct serial line: finds the resynchronisation pattern, Vorn frames and
// the five-byte Palk frames in the byte stream, one byte at a time.

#include <array>
#include <cstdint>
#include <optional>

#include "Frame.h"

namespace vornsim {

struct RxEvent {
  enum class Kind { Resync, Vorn, Palk, BadChecksum, CutShort };
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

// A Palk command of 64 or more sets the bit that marks a Vorn header, so such a frame is told
// from a Vorn frame by where its check byte falls: a header whose Vorn reading does not add up
// (or names no request of that length) is read as a Palk frame of five bytes. When the Vorn
// reading is longer, a five-byte frame that adds up is held until the next start byte or an
// idle line shows that nothing follows it.
class FrameReader {
 public:
  std::optional<RxEvent> feed(std::uint8_t b);
  std::optional<RxEvent> idle();  // the line has been quiet for a while
  bool pending() const { return palkHeld_; }
  void reset();

 private:
  std::optional<RxEvent> vorn();
  std::optional<RxEvent> palk();
  std::optional<RxEvent> abandon();  // what a frame in progress amounts to when it ends early

  std::array<std::uint8_t, 9> window_{};  // last nine bytes, for the resync pattern
  unsigned windowFill_ = 0;
  Bytes cur_;
  std::size_t vornLength_ = 0;  // length of the frame read as a Vorn frame; 0 = Palk only
  bool palkHeld_ = false;
  bool inFrame_ = false;
};

}  // namespace vornsim
