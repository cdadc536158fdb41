#include "TunnelFrame.h"

namespace vornsim {

int tunnelSizeFromStart(std::uint8_t t) {
  if (t & 0x08) return t % 8;
  return 8 + (t % 8) + 8 * ((t >> 4) & 1);
}

std::uint8_t tunnelStartFor(std::size_t size, bool toggle) {
  std::uint8_t code = 0;
  if (size < 8)
    code = static_cast<std::uint8_t>(40 + size);
  else if (size < 16)
    code = static_cast<std::uint8_t>(size - 8);
  else
    code = static_cast<std::uint8_t>(16 + (size - 16));
  return static_cast<std::uint8_t>(code | (toggle ? 0x40 : 0));
}

Bytes buildTunnelFrame(const Bytes& payload, bool toggle) {
  Bytes out{tunnelStartFor(payload.size(), toggle)};
  for (std::uint8_t b : payload) out.push_back(static_cast<std::uint8_t>(0x80 | (b & 0x7F)));
  out.push_back(checkByteFor(out));
  return out;
}

std::optional<TunnelEvent> TunnelReader::abandon() {
  std::optional<TunnelEvent> ev;
  if (cur_.size() == 5 && (cur_[0] & 0x03) == 0x03 && frameSumOk(cur_)) {
    ev = TunnelEvent{};
    ev->kind = TunnelEvent::Kind::Palk;
    ev->raw = cur_;
    for (std::size_t i = 1; i < 4; ++i) ev->payload.push_back(cur_[i] & 0x7F);
  }
  cur_.clear();
  expected_ = 0;
  return ev;
}

std::optional<TunnelEvent> TunnelReader::idle() {
  if (cur_.empty()) return std::nullopt;
  return abandon();
}

std::optional<TunnelEvent> TunnelReader::feed(std::uint8_t b) {
  std::optional<TunnelEvent> dropped;
  if (b < 0x80) {
    dropped = abandon();
    cur_.push_back(b);
    expected_ = static_cast<std::size_t>(tunnelSizeFromStart(b)) + 2;
    return dropped;
  }
  if (cur_.empty()) return std::nullopt;
  cur_.push_back(b);
  if (cur_.size() < expected_) return std::nullopt;
  TunnelEvent ev;
  ev.raw = cur_;
  cur_.clear();
  expected_ = 0;
  if (!frameSumOk(ev.raw)) {
    ev.kind = TunnelEvent::Kind::BadChecksum;
    return ev;
  }
  for (std::size_t i = 1; i + 1 < ev.raw.size(); ++i) ev.payload.push_back(ev.raw[i] & 0x7F);
  return ev;
}

}  // namespace vornsim
