// Direct-link reply receiver: any byte stream a line can deliver, one byte at a time.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "FuzzSupport.h"
#include "link/FrameCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The buffer alone on the heap, so a write past its 21 entries hits the sanitizer's guard.
  auto buffer = std::make_unique<std::array<uint8_t, 21>>();
  vorn::ReplyReceiver rx(*buffer);
  rx.reset();
  for (size_t i = 0; i < size; ++i) {
    const auto ev = rx.feed(data[i]);
    if (ev == vorn::ReplyReceiver::Event::Complete) {
      // A completed frame starts with a start byte and its header announces what followed.
      VORN_FUZZ_CHECK((*buffer)[0] < 128);
      VORN_FUZZ_CHECK((*buffer)[1] < 128);
    }
    if (ev == vorn::ReplyReceiver::Event::ExtAddressByte) VORN_FUZZ_CHECK(rx.extByte() < 128);
  }
  return 0;
}
