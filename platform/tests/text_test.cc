#include "platform/text.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

struct Utf8Case {
  const char* name;
  std::string utf8;
  std::u16string utf16;
};

TEST(TextTest, Utf8ToUtf16Cases) {
  const Utf8Case cases[] = {
      {"ascii", "abc", u"abc"},
      {"two-byte", "\xC3\xA9", u"\u00E9"},
      {"three-byte", "\xE2\x82\xAC", u"\u20AC"},
      {"four-byte", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"embedded NUL kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"overlong slash", "\xC0\xAF", u"\uFFFD"},
      {"overlong three-byte", "\xE0\x80\xAF", u"\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD"},
      {"encoded last surrogate", "\xED\xBF\xBF", u"\uFFFD"},
      {"last before the surrogates", "\xED\x9F\xBF", u"\uD7FF"},
      {"first after the surrogates", "\xEE\x80\x80", u"\uE000"},
      {"smallest two-byte", "\xC2\x80", u"\u0080"},
      {"smallest four-byte", "\xF0\x90\x80\x80", u"\U00010000"},
      {"last code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD"},
      {"stray continuation", "a\x80z", u"a\uFFFDz"},
      {"truncated keeps next char", "\xE2\x82z", u"\uFFFDz"},
      {"truncated at end", "a\xF0\x9F", u"a\uFFFD"},
      {"invalid lead", "\xFF", u"\uFFFD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf8ToUtf16(c.utf8), c.utf16) << c.name;
  }
}

TEST(TextTest, Utf16ToUtf8Cases) {
  EXPECT_EQ(utf16ToUtf8(u"\u00E9\u20AC\U0001F600"), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD") << "lone high";
  EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xDC00)) + u"x"), "\xEF\xBF\xBDx") << "lone low";
  EXPECT_EQ(utf16ToUtf8(std::u16string{char16_t(0xD800), u'x'}), "\xEF\xBF\xBDx")
      << "high without low";
}

// ASCII runs are copied in bulk; the character after a run, and a run after a character, must
// still convert exactly as on their own.
TEST(TextTest, AsciiRunsNextToOtherCharacters) {
  const std::string longAscii(40, 'x');
  const std::u16string longAscii16(40, u'x');
  const Utf8Case cases[] = {
      {"run then two-byte", "abc\xC3\xA9", u"abc\u00E9"},
      {"two-byte then run",
       "\xC3\xA9"
       "abc",
       u"\u00E9abc"},
      {"run then four-byte then run",
       "ab\xF0\x9F\x98\x80"
       "cd",
       u"ab\U0001F600cd"},
      {"long run then three-byte", longAscii + "\xE2\x82\xAC", longAscii16 + u"\u20AC"},
      {"run, truncated, run",
       "ab\xE2\x82"
       "cd",
       u"ab\uFFFDcd"},
      {"run then stray continuation at end", "ab\x80", u"ab\uFFFD"},
      {"DEL stays ASCII", "a\x7F", u"a\u007F"},
      {"only non-ASCII", "\xC3\xA9\xC3\xA9", u"\u00E9\u00E9"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf8ToUtf16(c.utf8), c.utf16) << c.name;
  }

  const char16_t high = 0xD83D, low = 0xDE00;
  const struct {
    const char* name;
    std::u16string utf16;
    std::string utf8;
  } back[] = {
      {"run then pair then run", std::u16string{u'a', high, low, u'b'},
       "a\xF0\x9F\x98\x80"
       "b"},
      {"run then lone high then run", std::u16string{u'a', high, u'b'},
       "a\xEF\xBF\xBD"
       "b"},
      {"run then lone low", std::u16string{u'a', u'b', low}, "ab\xEF\xBF\xBD"},
      {"lone high at end after long run", longAscii16 + std::u16string(1, high),
       longAscii + "\xEF\xBF\xBD"},
      {"U+0080 after run", u"ab\u0080", "ab\xC2\x80"},
      {"U+07FF then run", u"\u07FFab",
       "\xDF\xBF"
       "ab"},
  };
  for (const auto& c : back) {
    EXPECT_EQ(utf16ToUtf8(c.utf16), c.utf8) << c.name;
    std::string reused = "stale text longer than the result";
    utf16ToUtf8(c.utf16, &reused);
    EXPECT_EQ(reused, c.utf8) << c.name << " (into a used buffer)";
  }
  std::string exact;
  EXPECT_FALSE(utf16ToUtf8Exact(std::u16string{u'a', u'b', high, u'c'}, &exact));
  EXPECT_EQ(exact, "");

  // Runs are narrowed in pieces: lengths around a piece's size lose and double nothing.
  for (const size_t n : {127u, 128u, 129u, 256u, 300u}) {
    std::string ascii;
    std::u16string ascii16;
    for (size_t i = 0; i < n; ++i) {
      ascii += static_cast<char>('a' + i % 26);
      ascii16 += static_cast<char16_t>(u'a' + i % 26);
    }
    EXPECT_EQ(utf16ToUtf8(ascii16), ascii) << n;
    EXPECT_EQ(utf16ToUtf8(ascii16 + u"\u00E9" + ascii16), ascii + "\xC3\xA9" + ascii) << n;
    EXPECT_EQ(utf8ToUtf16(ascii + "\xC3\xA9" + ascii), ascii16 + u"\u00E9" + ascii16) << n;
  }
}

TEST(TextTest, ExactConversionRefusesWhatWouldBeSubstituted) {
  struct Case {
    const char* name;
    std::u16string utf16;
    bool exact;
  } cases[] = {
      {"plain", u"C:/lib/EDALib.xml", true},
      {"pair", u"a\U0001F600b", true},
      {"U+FFFD itself", u"\uFFFD", true},
      {"lone high at end", std::u16string{u'a', char16_t(0xD800)}, false},
      {"lone high before text", std::u16string{char16_t(0xDBFF), u'x'}, false},
      {"lone low", std::u16string{u'x', char16_t(0xDC00)}, false},
      {"low before high", std::u16string{char16_t(0xDC00), char16_t(0xD800)}, false},
  };
  for (const Case& c : cases) {
    std::string out = "stale";
    EXPECT_EQ(utf16ToUtf8Exact(c.utf16, &out), c.exact) << c.name;
    EXPECT_EQ(out, c.exact ? utf16ToUtf8(c.utf16) : "") << c.name;
  }
}

TEST(TextTest, RoundTripOfEveryPlane) {
  std::u16string all;
  for (char32_t cp :
       {0x1u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xD7FFu, 0xE000u, 0xFFFDu, 0x10000u, 0x10FFFFu}) {
    if (cp >= 0x10000) {
      all.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      all.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      all.push_back(static_cast<char16_t>(cp));
    }
  }
  EXPECT_EQ(utf8ToUtf16(utf16ToUtf8(all)), all);
}

}  // namespace
}  // namespace platform
