#pragma once

#include <string_view>

#include "model/Instructions.h"  // IntRange

namespace vorn {

// How every numeric entry box reads its text: the leading number (blanks, an optional
// sign, digits, an optional decimal point and digits); text without one counts as 0.
// Independent of the process locale.
double LeadingNumber(std::string_view text);

struct BoxNumber {
  int Value = 0;
  bool Clamped = false;  // the box must show Value instead of what was typed
  bool operator==(const BoxNumber&) const = default;
};

// Validation of a numeric box: out-of-range numbers become the nearest bound, then the
// number is rounded to the nearest integer, halves to even.
BoxNumber ValidateBoxNumber(std::string_view text, IntRange range);

}  // namespace vorn
