#include "model/BoxNumber.h"

#include <charconv>
#include <cmath>
#include <string>

namespace vorn {

double LeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const size_t start = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  }
  const std::string_view number = text.substr(start, i - start);
  if (number.empty() || number == ".") return 0.0;
  // from_chars wants at least one digit before a lone trailing point; give it "0" in front.
  const std::string digits = "0" + std::string(number);
  double value = 0.0;
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (result.ec == std::errc::result_out_of_range) value = HUGE_VAL;
  return negative ? -value : value;
}

BoxNumber ValidateBoxNumber(std::string_view text, IntRange range) {
  const double v = LeadingNumber(text);
  if (v < range.Min) return {range.Min, true};
  if (v > range.Max) return {range.Max, true};
  // nearbyint rounds halves to even in the default rounding mode.
  return {static_cast<int>(std::nearbyint(v)), false};
}

}  // namespace vorn
