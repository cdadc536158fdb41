#include <gtest/gtest.h>

#include "files/FieldIO.h"

namespace vorn {
namespace {

std::vector<std::string> AllFields(const std::string& text) {
  FieldReader r(text);
  std::vector<std::string> out;
  while (auto f = r.next()) out.push_back(*f);
  return out;
}

TEST(FieldReader, SplitsQuotedAndPlainFieldsAcrossLines) {
  const std::string text =
      "\"VornConfiguration 0032\"\r\n  \"Pin\",3,2,0,\"a, b\"\r\n\r\n    \"Ins\",0,-5\n\"End\"";
  EXPECT_EQ(AllFields(text), (std::vector<std::string>{"VornConfiguration 0032", "Pin", "3", "2", "0", "a, b",
                                                       "Ins", "0", "-5", "End"}));
}

TEST(FieldReader, EmptyQuotedFieldAndEmptyPlainFieldAreFields) {
  EXPECT_EQ(AllFields("\"ID$\",\"\"\r\n\"X\",,1\r\n"), (std::vector<std::string>{"ID$", "", "X", "", "1"}));
}

TEST(FieldReader, NumbersAreCheckedForFormAndRange) {
  struct Case {
    const char* field;
    bool ok;
  } cases[] = {{"12", true},  {" 7", true}, {"-1", true}, {"256", false},
               {"1x", false}, {"", false},  {"-", false}, {"99999999999999999999999", false}};
  for (const auto& c : cases) {
    const std::string text = std::string(c.field) + ",";
    FieldReader r(text);
    EXPECT_EQ(r.nextNumber(-1, 255).has_value(), c.ok) << c.field;
  }
}

TEST(FieldReader, PeekDoesNotConsume) {
  FieldReader r("\"Asp\",1");
  EXPECT_EQ(r.peek(), "Asp");
  EXPECT_EQ(r.next(), "Asp");
  EXPECT_EQ(r.nextNumber(0, 9), 1);
  EXPECT_TRUE(r.atEnd());
}

TEST(FieldWriter, QuotesTextIndentsAndEndsLinesWithCrLf) {
  FieldWriter w;
  w.begin(4).text("Ins").number(0).number(-3).text("say \"hi\"\nthere").end();
  EXPECT_EQ(w.bytes(), "    \"Ins\",0,-3,\"say 'hi' there\"\r\n");
}

}  // namespace
}  // namespace vorn
