#include "util/text_conversion.h"

#include <gtest/gtest.h>

namespace {

TEST(TextConversionTest, StopsAtFirstNul) {
  EXPECT_EQ(toWide(std::string("ab\0cd", 5)), u"ab");
  EXPECT_EQ(toUtf8(std::u16string(u"x\0y", 3)), "x");
  EXPECT_EQ(toWide(""), u"");
  EXPECT_EQ(toUtf8(u""), "");
}

TEST(TextConversionTest, RoundTripsNonAscii) {
  const std::string text = "Widerstand 10 k\xE2\x84\xA6 \xC2\xB1" "5 %";
  EXPECT_EQ(toUtf8(toWide(text)), text);
  EXPECT_EQ(toWide("\xFF" "a"), u"\uFFFDa");
}

}  // namespace
