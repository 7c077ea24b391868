#include "util/connector_util.h"

#include <gtest/gtest.h>

namespace {

using Tokens = std::vector<std::string>;

Tokens splitOf(const std::string& text, const std::string& delimiters) {
  Tokens out;
  ConnectorUtil::split(text, &out, delimiters);
  return out;
}

TEST(ConnectorUtilTest, SplitCases) {
  struct Case {
    const char* text;
    const char* delimiters;
    Tokens expected;
  } cases[] = {
      {"a==b", "=", {"a", "b"}},
      {"=b", "=", {"b"}},
      {"==", "=", {}},
      {"a=", "=", {"a"}},
      {"", "=", {}},
      {"LogFile=/tmp/a=b", "=", {"LogFile", "/tmp/a", "b"}},
      // A multi-character delimiter ends a token only where it occurs whole.
      {"a, b,c, d", ", ", {"a", "b,c", "d"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(splitOf(c.text, c.delimiters), c.expected) << '"' << c.text << '"';
  }
}

TEST(ConnectorUtilTest, SplitQuotedKeepsQuotedDelimiters) {
  Tokens out;
  ConnectorUtil::splitQuoted("\"a b\" c", &out, " ");
  EXPECT_EQ(out, (Tokens{"\"a b\"", "c"}));
  out.clear();
  ConnectorUtil::splitQuoted("x y", &out, " ");
  EXPECT_EQ(out, (Tokens{"x", "y"}));
}

TEST(ConnectorUtilTest, PathAndStringHelpers) {
  struct Case {
    const char* in;
    const char* windows;
    const char* slash;
  } cases[] = {
      {"C://temp//a/b", "C:\\temp\\a\\b", "C:/temp/a/b"},
      {"\\\\server\\share", "\\server\\share", "/server/share"},
      {"a\\/\\b", "a\\b", "a/b"},
  };
  for (const auto& c : cases) {
    std::string w = c.in, s = c.in;
    ConnectorUtil::toWindowsPath(w);
    ConnectorUtil::toSlashPath(s);
    EXPECT_EQ(w, c.windows) << c.in;
    EXPECT_EQ(s, c.slash) << c.in;
  }

  std::string t = "\t a b \t";
  ConnectorUtil::trimBlanks(t);
  EXPECT_EQ(t, "\t a b \t");
  t = "  a b  ";
  ConnectorUtil::trimBlanks(t);
  EXPECT_EQ(t, "a b");
  t = "   ";
  ConnectorUtil::trimBlanks(t);
  EXPECT_EQ(t, "");

  t = "R10K-\xC3\x84Z";
  ConnectorUtil::toLowerAscii(t);
  EXPECT_EQ(t, "r10k-\xC3\x84z");

  EXPECT_EQ(ConnectorUtil::toValidFileName("a/b:c"), "a_b_c");
  EXPECT_EQ(ConnectorUtil::toValidFileName("\\*?\"<>|"), "_______");
  EXPECT_EQ(ConnectorUtil::makeElemId(7), "id7");
  EXPECT_EQ(ConnectorUtil::makeElemId(-3), "id-3");

  std::string name;
  EXPECT_TRUE(ConnectorUtil::getFileName("/a/b/lib.xml", &name));
  EXPECT_EQ(name, "lib.xml");
  EXPECT_FALSE(ConnectorUtil::getFileName("lib.xml", &name));
  EXPECT_EQ(name, "");
  t = "a.b/c";
  ConnectorUtil::removeExtension(t);
  EXPECT_EQ(t, "a");
}

}  // namespace
