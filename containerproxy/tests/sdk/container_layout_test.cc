#include "sdk/container_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace vxn_container {
namespace {

using vxnxml_api::String;

TEST(ContainerLayoutTest, PartEntryNamesKeepPartsApartFromTheContainersOwnEntries) {
  EXPECT_EQ(partEntryName("a/b.txt"), "parts/a/b.txt");
  EXPECT_EQ(propertiesEntryName("design"), "properties/design");
  struct Case {
    const char* entry;
    bool isPart;
    const char* name;
  } cases[] = {
      {"parts/a.txt", true, "a.txt"},    {"parts/x/../y", true, "x/../y"}, {"parts/", false, ""},
      {"properties/parts/a", false, ""}, {"vxn-container", false, ""},     {"part/a", false, ""},
  };
  for (const Case& c : cases) {
    String name;
    EXPECT_EQ(isPartEntry(c.entry, &name), c.isPart) << c.entry;
    if (c.isPart) {
      EXPECT_EQ(name.Narrow(), c.name) << c.entry;
    }
  }
}

TEST(ContainerLayoutTest, PropertiesSurviveEncoding) {
  const std::map<String, String> cases[] = {
      {},
      {{"", ""}},
      {{"a", "1"}, {"b", "two words"}},
      {{"line", "one\ntwo\n"}, {"colon:", "12:34"}, {String(u"n\0l", 3), String(u"\0", 1)}},
      {{"Grüße", String(u"\xD83D\xDE00", 2)}},
  };
  for (const auto& properties : cases) {
    std::map<String, String> decoded{{"stale", "entry"}};
    ASSERT_TRUE(decodeProperties(encodeProperties(properties), &decoded));
    EXPECT_EQ(decoded, properties) << encodeProperties(properties);
  }
}

TEST(ContainerLayoutTest, DamagedPropertiesAreRefusedAndLeaveTheMapAlone) {
  const char* cases[] = {
      "x",                       // no length
      "1:a\n",                   // a name without a value
      "1:a\n5:abc\n",            // value shorter than its length
      "1:a\n1:bc",               // record not ended by a line break
      "1:a\n1:b",                // last record cut short
      "1a\n1:b\n",               // no colon
      "-1:a\n1:b\n",             // sign
      "99999999999999999999:a",  // absurd length
  };
  for (const char* data : cases) {
    std::map<String, String> properties{{"keep", "me"}};
    EXPECT_FALSE(decodeProperties(data, &properties)) << data;
    EXPECT_EQ(properties.size(), 1u) << data;
  }
}

}  // namespace
}  // namespace vxn_container
