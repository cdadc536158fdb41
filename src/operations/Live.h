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
// message with Alt). The variants that address the pin by its serial offset refuse, with a
// message and nothing sent, a pin without serial addresses or with an offset above 127.
// Returns false when nothing was sent.
bool TestAspect(Session& s, TestKeys keys);
// The five lines that Alt + Test shows.
const char* TestHelpText();

// "PalkSend": the typed command, output and parameter, each clamped to 0..127 in place (so
// the boxes can show what was sent), as one Palk frame to the module address.
struct PalkValues {
  int command = 0;
  int output = 0;
  int parameter = 0;
};
bool SendRawPalk(Session& s, PalkValues& v);
// The values as a frame carries them (what SendRawPalk sends).
void ClampPalkValues(PalkValues& v);

// "Reset": one Palk frame. "Clear All" / "Lamp Test": one Palk frame per output 0..31 after
// checking the port; the first frame the port refuses ends the command. False when not
// everything was sent.
bool ResetModule(Session& s, int module);
bool ClearAllOutputs(Session& s, int module);
bool LampTestAllOutputs(Session& s, int module);

// Set PWM level (0..31) / servo position (-64..63) of a pin; slow / dynamic use the pin's
// configured dynamics. Values outside the range are clamped, never wrapped.
bool SendPwmLevel(Session& s, int pin, int level, bool slow);
bool SendServoPosition(Session& s, int pin, int position, bool dynamic);

}  // namespace vorn
