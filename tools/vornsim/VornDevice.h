#pragma once
// One simulated Vorn: executes the requests addressed to it and builds the data of its replies.

#include <array>
#include <cstdint>
#include <string>

#include "Frame.h"
#include "VornState.h"

namespace vornsim {

// The device accepts the erase request only when these eight bytes follow 96, 0.
constexpr std::array<std::uint8_t, 8> kEraseFlashCode{0x2A, 0x55, 0x13, 0x6C, 0x07, 0x71, 0x3E, 0x49};

class VornDevice {
 public:
  VornDevice(VornState initial, bool oldFirmware);

  // Executes one request (the 7-bit data bytes of a frame addressed to this Vorn) and returns
  // the data bytes of its reply. The caller decides whether the reply is sent.
  Bytes execute(const Bytes& data);
  // Why a Vorn would refuse the request (its length, layout or values), or "" when it takes it.
  // A refused request is neither carried out nor answered.
  std::string refusal(const Bytes& data) const;

  const VornState& state() const { return state_; }
  VornState& state() { return state_; }
  std::uint8_t extAddress() const { return state_.general.extAddress; }
  unsigned erasures() const { return erasures_; }

 private:
  Bytes readGeneral(std::uint8_t item) const;
  Bytes writeGeneral(const Bytes& d);
  Bytes live(const Bytes& d);
  Bytes feedback();
  Bytes pinCommand(const Bytes& d);
  Bytes configReply(std::uint8_t letter, int pin, bool active) const;
  Bytes addressReply(int pin) const;

  VornState state_;
  bool oldFirmware_;
  unsigned erasures_ = 0;
  unsigned polls_ = 0;
};

}  // namespace vornsim
