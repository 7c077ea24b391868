#include "proxy/target_path.h"

#include <gtest/gtest.h>

namespace containerproxy {
namespace {

TEST(TargetPathTest, OnlyNamesThatStayInsideTheDirectoryPass) {
  struct Case {
    vxnxml_api::String name;
    bool inside;
  } cases[] = {
      {"a.txt", true},         {"sub/a.txt", true},    {"..a", true},         {"a..", true},
      {"a/..b/c", true},       {"./a", true},          {"Grüße.txt", true},   {"", false},
      {"..", false},           {"../a", false},        {"a/../../b", false},  {"a/..", false},
      {"sub/..", false},       {"/etc/passwd", false}, {"\\share\\a", false}, {"..\\a", false},
      {"a\\..\\..\\b", false}, {"C:\\a", false},       {"c:a", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(partNameStaysInside(c.name), c.inside) << c.name.Narrow();
  }
}

TEST(TargetPathTest, JoinsWithOneSeparatorAndNormalisesNothing) {
  EXPECT_EQ(joinTargetPath("/out", "a.txt").Narrow(), "/out/a.txt");
  EXPECT_EQ(joinTargetPath("/out/", "a.txt").Narrow(), "/out//a.txt");
  EXPECT_EQ(joinTargetPath("", "a.txt").Narrow(), "/a.txt");
}

}  // namespace
}  // namespace containerproxy
