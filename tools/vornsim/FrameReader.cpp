#include "FrameReader.h"

#include <algorithm>

namespace vornsim {

namespace {

constexpr std::array<std::uint8_t, 9> kResync{0, 0, 0, 255, 255, 255, 170, 170, 170};
constexpr std::size_t kPalkLength = 5;

// Requests of two data bytes (the reads, and the write of an empty identity string); no request
// has one data byte.
bool twoByteRequest(std::uint8_t d1) {
  return d1 == 96 || d1 == 112 || d1 == 81 || (d1 >= 113 && d1 <= 118 && d1 != 115);
}

}  // namespace

void FrameReader::reset() {
  cur_.clear();
  vornLength_ = 0;
  palkHeld_ = false;
  inFrame_ = false;
}

std::optional<RxEvent> FrameReader::abandon() {
  std::optional<RxEvent> ev;
  if (palkHeld_ && cur_.size() == kPalkLength) {
    ev = palk();
  } else if (cur_.size() >= 2) {
    ev.emplace();
    ev->kind = RxEvent::Kind::CutShort;
    ev->raw = cur_;
  }
  reset();
  return ev;
}

std::optional<RxEvent> FrameReader::idle() { return palkHeld_ ? abandon() : std::nullopt; }

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
    // A start byte ends whatever was in progress. Only addresses 4m+3 belong to Vorns.
    std::optional<RxEvent> before = abandon();
    if ((b & 0x03) == 0x03) {
      cur_.push_back(b);
      inFrame_ = true;
    }
    return before;
  }
  if (!inFrame_) return std::nullopt;

  cur_.push_back(b);
  const std::size_t n = cur_.size();
  if (n == 2 && (b & 0x40)) {
    // Vorn header: bit 5 asks for a reply, bit 4 announces the extended address byte.
    vornLength_ = 2 + ((b & 0x10) ? 1 : 0) + (b & 0x0F) + 1;
  }
  if (n == vornLength_ && frameSumOk(cur_)) {
    const std::size_t count = cur_[1] & 0x0F;
    const bool plausible =
        n > kPalkLength || count == 0 || (count == 2 && twoByteRequest(cur_[n - 3] & 0x7F));
    if (plausible) return vorn();
  }
  if (n == kPalkLength) {
    if (vornLength_ <= kPalkLength) return palk();
    palkHeld_ = frameSumOk(cur_);
    return std::nullopt;
  }
  palkHeld_ = false;
  if (n == vornLength_ && n > kPalkLength) {  // the Vorn reading did not add up
    RxEvent ev;
    ev.kind = RxEvent::Kind::BadChecksum;
    ev.raw = cur_;
    reset();
    return ev;
  }
  return std::nullopt;
}

std::optional<RxEvent> FrameReader::palk() {
  RxEvent ev;
  ev.raw = cur_;
  reset();
  if (!frameSumOk(ev.raw)) {
    ev.kind = RxEvent::Kind::BadChecksum;
    return ev;
  }
  ev.kind = RxEvent::Kind::Palk;
  ev.start = ev.raw[0];
  ev.data = {static_cast<std::uint8_t>(ev.raw[1] & 0x7F), static_cast<std::uint8_t>(ev.raw[2] & 0x7F),
             static_cast<std::uint8_t>(ev.raw[3] & 0x7F)};
  return ev;
}

std::optional<RxEvent> FrameReader::vorn() {
  RxEvent ev;
  ev.raw = cur_;
  reset();
  ev.kind = RxEvent::Kind::Vorn;
  ev.start = ev.raw[0];
  ev.header = ev.raw[1] & 0x7F;
  std::size_t i = 2;
  if (ev.header & 0x10) {
    ev.hasExt = true;
    ev.ext = ev.raw[i++] & 0x7F;
  }
  for (; i + 1 < ev.raw.size(); ++i) ev.data.push_back(ev.raw[i] & 0x7F);
  return ev;
}

}  // namespace vornsim
