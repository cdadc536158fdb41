#include "FrameReader.h"

#include <algorithm>

namespace vornsim {

namespace {
constexpr std::array<std::uint8_t, 9> kResync{0, 0, 0, 255, 255, 255, 170, 170, 170};
}

void FrameReader::reset() {
  cur_.clear();
  expected_ = 0;
  inFrame_ = false;
}

std::optional<RxEvent> FrameReader::feed(std::uint8_t b) {
  std::copy(window_.begin() + 1, window_.end(), window_.begin());
  window_.back() = b;
  if (windowFill_ < window_.size()) ++windowFill_;
  if (windowFill_ == window_.size() && window_ == kResync) {
    reset();
    windowFill_ = 0;
    RxEvent ev;
    ev.kind = RxEvent::Kind::Resync;
    return ev;
  }

  if (b < 0x80) {
    // A start byte abandons whatever was in progress. Only addresses 4m+3 belong to Vorns.
    reset();
    if ((b & 0x03) == 0x03) {
      cur_.push_back(b);
      inFrame_ = true;
    }
    return std::nullopt;
  }
  if (!inFrame_) return std::nullopt;

  cur_.push_back(b);
  if (cur_.size() == 2) {
    if (b & 0x40) {
      // Vorn header: bit 5 asks for a reply, bit 4 announces the extended address byte.
      expected_ = 2 + ((b & 0x10) ? 1 : 0) + (b & 0x0F) + 1;
    } else {
      expected_ = 5;  // Palk frame: address, command, two parameters, check
    }
  }
  if (expected_ != 0 && cur_.size() == expected_) return complete();
  return std::nullopt;
}

std::optional<RxEvent> FrameReader::complete() {
  RxEvent ev;
  ev.raw = cur_;
  reset();
  if (!frameSumOk(ev.raw)) {
    ev.kind = RxEvent::Kind::BadChecksum;
    return ev;
  }
  ev.start = ev.raw[0];
  ev.header = ev.raw[1] & 0x7F;
  if ((ev.header & 0x40) == 0) {
    ev.kind = RxEvent::Kind::Palk;
    ev.data = {static_cast<std::uint8_t>(ev.raw[1] & 0x7F), static_cast<std::uint8_t>(ev.raw[2] & 0x7F),
               static_cast<std::uint8_t>(ev.raw[3] & 0x7F)};
    return ev;
  }
  ev.kind = RxEvent::Kind::Vorn;
  std::size_t i = 2;
  if (ev.header & 0x10) {
    ev.hasExt = true;
    ev.ext = ev.raw[i++] & 0x7F;
  }
  for (; i + 1 < ev.raw.size(); ++i) ev.data.push_back(ev.raw[i] & 0x7F);
  return ev;
}

}  // namespace vornsim
