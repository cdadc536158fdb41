#pragma once

#include <string>
#include <vector>

#include "FakeClock.h"
#include "FakeSerialPort.h"
#include "PinTestVorn.h"
#include "RecordingPrompter.h"
#include "operations/Session.h"

namespace vorn::test {

using Bytes = std::vector<uint8_t>;

// A session on the in-memory port with the small Vorn behind it; numbering from 0 unless a
// test says otherwise, so report lines read with pin numbers as stored. The general items of
// both sides hold what a fresh window shows, so a read that decodes nothing it should not
// leaves the settings equal to their start values.
struct PinTestRig {
  FakeClock clock;
  FakeSerialPort port{clock};
  RecordingPrompter prompter;
  Session s{port, clock, prompter};
  PinTestVorn vorn{port};

  PinTestRig() {
    s.model.NumberBase = 0;
    s.general.LCGreen[7] = TriState::Grey;  // the LED boxes as mask 0 reads back
    s.general.LCOrange[7] = TriState::Grey;
    s.link.openDevice("/dev/fake-vorn");
  }

  // Replaces the answer to "read item" with `data` (from the echo on).
  void answer(uint8_t item, Bytes data) {
    vorn.customReply = [item, data](const Bytes& req) -> std::optional<Bytes> {
      if (req.size() == 2 && req[0] == 112 && req[1] == item) return data;
      return std::nullopt;
    };
  }
};

}  // namespace vorn::test
