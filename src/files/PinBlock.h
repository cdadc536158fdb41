#pragma once

#include <cstdint>

#include "model/ConfigModel.h"

namespace vorn {

// Pieces of a pin block that the configuration file and the device library read alike.
// `num(lo, hi)` reads the next field as a number in lo..hi (and throws the caller's own
// fault type otherwise).

// A "Pin" line starts the pin's program afresh: aspects 0..11 lose their descriptions and
// slots 0..8, and the address counts go back to 1.
inline void ResetPinProgram(ConfigModel& m, int pin) {
  PinData& p = m.pin(pin);
  p.DCCCount = p.XDCCCount = p.SerialCount = 1;
  for (int a = 0; a < 12; ++a) {
    m.aspect(pin, a).Description.clear();
    for (int i = 0; i < 9; ++i) m.instr(pin, a, i) = Instruction{};
  }
}

// "PAM": extended DCC count (when the format has it), DCC count, serial count.
template <typename Num>
void ReadAddressCounts(PinData& p, bool withXdcc, Num&& num) {
  if (withXdcc) p.XDCCCount = static_cast<uint8_t>(num(0, 1));
  p.DCCCount = static_cast<uint8_t>(num(0, 7));
  p.SerialCount = static_cast<uint8_t>(num(0, 7));
}

// "Ins" after its slot index: combined code, P.O. and three parameters. Codes 19..63 carry
// the fade flag in bit 4; elsewhere the code is the opcode and Fade keeps its value.
template <typename Num>
void ReadInstructionFields(Instruction& in, Num&& num) {
  const auto code = static_cast<uint8_t>(num(0, 255));
  in.Opcode = code;
  in.PinOffset = static_cast<uint8_t>(num(0, 255));
  in.Par1 = static_cast<uint8_t>(num(0, 255));
  in.Par2 = static_cast<uint8_t>(num(0, 255));
  in.Par3 = static_cast<uint8_t>(num(0, 255));
  if (code >= 19 && code <= 63) {
    in.Fade = (code & 16) != 0 ? 1 : 0;
    in.Opcode = static_cast<uint8_t>(code & ~16);
  }
}

}  // namespace vorn
