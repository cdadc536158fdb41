#pragma once

#include <array>
#include <cstdint>

namespace vorn {

// Confirmation code the Vorn wants after 96, 0 before it erases its configuration memory.
// This is the one place the host keeps it; it must match the value in the device's
// documentation (the simulator keeps its own copy of the same eight bytes). Each byte is
// in 0..127 so it travels as a plain data byte.
inline constexpr std::array<std::uint8_t, 8> EraseFlashCode = {0x2A, 0x55, 0x13, 0x6C,
                                                               0x07, 0x71, 0x3E, 0x49};

}  // namespace vorn
