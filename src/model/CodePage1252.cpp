#include "model/CodePage1252.h"

#include <array>

namespace vorn {

namespace {

// Characters of the bytes 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

char32_t Cp1252ToUnicode(uint8_t byte) {
  if (byte < 0x80 || byte >= 0xA0) return byte;
  const char16_t c = kHighControls[static_cast<std::size_t>(byte - 0x80)];
  return c != 0 ? c : byte;
}

std::optional<uint8_t> UnicodeToCp1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<uint8_t>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    const auto byte = static_cast<uint8_t>(0x80 + i);
    const char32_t mapped = kHighControls[i] != 0 ? kHighControls[i] : byte;
    if (mapped == c) return byte;
  }
  return std::nullopt;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char b : bytes) AppendUtf8(out, Cp1252ToUnicode(static_cast<uint8_t>(b)));
  return out;
}

}  // namespace vorn
