#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorn {

// Windows-1252: the code page of the 8-bit texts the files and the Vorn hold (descriptions,
// device names, the identity string). The model keeps the bytes exactly; only what is shown
// or typed is converted. Bytes 0x80..0x9F are the typographic characters (euro sign, quotes,
// dashes...); the five bytes the code page leaves unassigned stand for the control
// characters of the same number, so every byte comes back unchanged.

char32_t Cp1252ToUnicode(uint8_t byte);

// The byte for a character, or nullopt when the code page cannot hold it.
std::optional<uint8_t> UnicodeToCp1252(char32_t c);

// UTF-8 text of 8-bit bytes, for messages and terminals.
std::string Cp1252ToUtf8(std::string_view bytes);

}  // namespace vorn
