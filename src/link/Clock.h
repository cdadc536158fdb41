#pragma once

namespace vorn {

// Elapsed time and the short pauses of one-way writes; tests swap in a fake.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual double now() = 0;  // seconds, monotonic
  virtual void sleepMs(int ms) = 0;
};

// The real clock (steady_clock and a thread sleep).
Clock& SystemClock();

}  // namespace vorn
