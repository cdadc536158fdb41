#pragma once
// Kestro tunnel frames: a start byte that codes the payload size (and a toggle in bit 6),
// the payload bytes with bit 7 set, and the common check byte.

#include <cstdint>
#include <optional>

#include "Frame.h"

namespace vornsim {

int tunnelSizeFromStart(std::uint8_t start);
std::uint8_t tunnelStartFor(std::size_t size, bool toggle);
Bytes buildTunnelFrame(const Bytes& payload, bool toggle);

struct TunnelEvent {
  enum class Kind { Frame, BadChecksum, Palk };
  Kind kind = Kind::Frame;
  Bytes raw;
  Bytes payload;  // 7-bit payload (Frame), or command and parameters (Palk)
  bool toggle() const { return !raw.empty() && (raw[0] & 0x40) != 0; }
};

// Byte-at-a-time receiver. Palk frames written straight to the port do not fit the tunnel
// framing: a five-byte fragment that adds up like a Palk frame is reported as one when the
// next start byte abandons it or when the line falls idle.
class TunnelReader {
 public:
  std::optional<TunnelEvent> feed(std::uint8_t b);
  std::optional<TunnelEvent> idle();  // the line has been quiet for a while
  bool partial() const { return !cur_.empty(); }

 private:
  std::optional<TunnelEvent> abandon();
  Bytes cur_;
  std::size_t expected_ = 0;
};

}  // namespace vornsim
