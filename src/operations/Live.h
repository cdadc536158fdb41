#pragma once

#include <cstdint>

namespace vorn {

class Session;

// Live commands for a running Vorn: sent one way, no reply is looked at.

// Which modifier keys were held on the "Test" button.
struct TestKeys {
  bool Shift = false;
  bool Control = false;
  bool Alt = false;
};

// "Test": shows aspect `CurAspect` of `CurPin` by the variant the keys choose (or the help
// message with Alt). Returns false when nothing was sent.
bool TestAspect(Session& s, TestKeys keys);

// Set PWM level (0..31) / servo position (-64..63) of a pin; slow / dynamic use the pin's
// configured dynamics. Values outside the range are clamped, never wrapped.
bool SendPwmLevel(Session& s, int pin, int level, bool slow);
bool SendServoPosition(Session& s, int pin, int position, bool dynamic);

}  // namespace vorn
