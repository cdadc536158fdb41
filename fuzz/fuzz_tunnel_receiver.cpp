// Tunnel receiver: any byte stream from a Kestro interface, one byte at a time.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "FuzzSupport.h"
#include "link/FrameCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto buffer = std::make_unique<std::array<uint8_t, 21>>();
  vorn::TunnelReceiver rx(*buffer);
  rx.reset();
  for (size_t i = 0; i < size; ++i) {
    const auto ev = rx.feed(data[i]);
    if (ev == vorn::TunnelReceiver::Event::Complete) {
      // Only frames whose check byte lies in the checked entries are accepted; entry 0 then
      // holds the payload size the caller reads the payload by.
      VORN_FUZZ_CHECK(rx.size() >= 0 && rx.size() <= vorn::kMaxCheckedTunnelPayload);
      VORN_FUZZ_CHECK((*buffer)[0] == rx.size());
      VORN_FUZZ_CHECK(rx.logLine().rfind("< ", 0) == 0);
    }
    // The log line of one frame stays short: start byte plus at most 24 more bytes in hex.
    VORN_FUZZ_CHECK(rx.logLine().size() <= 2 + 2 * 25);
  }
  return 0;
}
