#pragma once

#include "FakeClock.h"
#include "FakeSerialPort.h"
#include "PinTestVorn.h"
#include "RecordingPrompter.h"
#include "operations/Session.h"

namespace vorn::test {

// A session on the in-memory port with the small Vorn behind it; numbering from 0 unless a
// test says otherwise, so report lines read with pin numbers as stored.
struct PinTestRig {
  FakeClock clock;
  FakeSerialPort port{clock};
  RecordingPrompter prompter;
  Session s{port, clock, prompter};
  PinTestVorn vorn{port};

  PinTestRig() {
    s.model.NumberBase = 0;
    s.link.openDevice("/dev/fake-vorn");
  }
};

}  // namespace vorn::test
