#include <gtest/gtest.h>

#include "files/FieldIO.h"

namespace vorn {
namespace {

TEST(FieldReader, SplitsFieldsAcrossLinesAndChecksNumbers) {
  FieldReader r("\"Pin\",3,\"a, b\"\r\n\r\n    \"\",,-5\n 7,1x,-,256,\"End\"");
  std::vector<std::string> fields;
  for (int i = 0; i < 5; ++i) fields.push_back(r.next().value_or("?"));
  EXPECT_EQ(fields, (std::vector<std::string>{"Pin", "3", "a, b", "", ""}));
  EXPECT_EQ(r.nextNumber(-5, 255), -5);
  EXPECT_EQ(r.nextNumber(0, 255), 7);
  EXPECT_FALSE(r.nextNumber(0, 255).has_value());  // 1x
  EXPECT_FALSE(r.nextNumber(0, 255).has_value());  // -
  EXPECT_FALSE(r.nextNumber(0, 255).has_value());  // 256
  EXPECT_EQ(r.peek(), "End");
  EXPECT_EQ(r.next(), "End");
  EXPECT_TRUE(r.atEnd());
}

TEST(FieldWriter, QuotesTextIndentsAndEndsLinesWithCrLf) {
  FieldWriter w;
  w.begin(4).text("Ins").number(0).number(-3).text("say \"hi\"\nthere").end();
  EXPECT_EQ(w.bytes(), "    \"Ins\",0,-3,\"say 'hi' there\"\r\n");
}

}  // namespace
}  // namespace vorn
