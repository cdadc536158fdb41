#pragma once

#include "link/Clock.h"

namespace vorn::test {

// Time that moves only when someone waits or sleeps: reply windows run instantly.
class FakeClock : public Clock {
 public:
  double now() override { return t_; }
  void sleepMs(int ms) override {
    t_ += ms / 1000.0;
    slept_ms += ms;
  }
  void advance(double seconds) { t_ += seconds; }
  int slept_ms = 0;  // total of sleepMs calls (one-way write pauses)

 private:
  double t_ = 1000.0;
};

}  // namespace vorn::test
