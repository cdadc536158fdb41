#include <gtest/gtest.h>

#include "model/BoxNumber.h"

namespace vorn {
namespace {

TEST(BoxNumber, LeadingNumberOfTheText) {
  const std::pair<const char*, double> cases[] = {
      {"12", 12},  {"  -3", -3},  {"+7", 7},  {"12abc", 12}, {"abc", 0}, {"", 0},    {"-", 0},       {".", 0},
      {".5", 0.5}, {"2.5x", 2.5}, {"1e3", 1}, {"3,7", 3},    {"007", 7}, {"- 5", 0}, {"1.2.3", 1.2},
  };
  for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << text;
  EXPECT_GT(LeadingNumber(std::string(400, '9')), 1e300);
}

TEST(BoxNumber, ClampThenRoundHalvesToEven) {
  const IntRange r{-1, 31};
  const std::pair<const char*, BoxNumber> cases[] = {
      {"5", {5, false}},  {"2.5", {2, false}},   {"3.5", {4, false}},   {"-0.5", {0, false}},
      {"-5", {-1, true}}, {"-1.4", {-1, true}},  {"31.5", {31, true}},  {"99999999999999999999", {31, true}},
      {"x", {0, false}},  {"30.6", {31, false}}, {"-0.9", {-1, false}},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ValidateBoxNumber(text, r), expected) << text;
  EXPECT_EQ(ValidateBoxNumber("", IntRange{1, 127}), (BoxNumber{1, true}));
}

}  // namespace
}  // namespace vorn
