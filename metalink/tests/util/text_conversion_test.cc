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
  const std::string text =
      "Widerstand 10 k\xE2\x84\xA6 \xC2\xB1"
      "5 %";
  EXPECT_EQ(toUtf8(toWide(text)), text);
  EXPECT_EQ(toWide("\xFF"
                   "a"),
            u"\uFFFDa");
}

TEST(TextConversionTest, PathsConvertExactlyOrNotAtAll) {
  std::string utf8, reason;
  EXPECT_TRUE(toUtf8Path(u"/tmp/Bibliothek \u00E4/EDALib.xml", &utf8, &reason));
  EXPECT_EQ(utf8, "/tmp/Bibliothek \xC3\xA4/EDALib.xml");

  const std::u16string surrogate = u"/tmp/a" + std::u16string(1, char16_t(0xD83D)) + u".xml";
  EXPECT_FALSE(toUtf8Path(surrogate, &utf8, &reason));
  EXPECT_EQ(utf8, "");
  EXPECT_EQ(reason, "it holds an unpaired UTF-16 surrogate");

  EXPECT_FALSE(toUtf8Path(std::u16string(u"/tmp/a.xml\0.txt", 15), &utf8, &reason));
  EXPECT_EQ(reason, "it holds a NUL character");
}

}  // namespace
