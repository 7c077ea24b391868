#include <gtest/gtest.h>

#include <string>

#include "syncmap/eda_sync_map.h"
#include "xml_test_support.h"

namespace {

using xmltest::ScratchTest;

// The database rule of these tests: names that begin with "sys_" are the database's own.
std::string reservedBySys(const std::string& table) {
  return table.rfind("sys_", 0) == 0 ? "the database keeps sys_ names" : std::string();
}

// One element "Part" with the property "Value" mapped to <table>.<column>, inside a nested
// element "Footprint" when `nested`.
std::string mapWith(const std::string& table, const std::string& column, bool nested = false) {
  const std::string property = "<property name=\"Value\"><table name=\"" + table +
                               "\"><column name=\"" + column + "\"/></table></property>";
  const std::string ok =
      "<property name=\"Id\" required=\"true\"><table name=\"Parts\"><column name=\"Id\"/>"
      "</table></property>";
  if (nested) {
    return "<map><element name=\"Part\" type=\"EDAItem\">" + ok +
           "<element name=\"Footprint\" type=\"EDAGde\" relation=\"view\">" + property +
           "</element></element></map>";
  }
  return "<map><element name=\"Part\" type=\"EDAItem\">" + ok + property + "</element></map>";
}

class SyncMapCheckTest : public ScratchTest {};

TEST_F(SyncMapCheckTest, NamesTheElementAndTheProblem) {
  struct Case {
    const char* label;
    std::string xml;
    std::string problem;  // empty: the map passes
  } cases[] = {
      {"a sound map", mapWith("Parts", "Value"), ""},
      {"a table without a name", mapWith("", "Value"),
       "the property \"Value\" of the element \"Part\" is mapped to a table without a name"},
      {"a column without a name", mapWith("Parts", ""),
       "the property \"Value\" of the element \"Part\" is mapped to a column without a name in "
       "the table \"Parts\""},
      {"the link table", mapWith("Relations", "Value"),
       "the table \"Relations\" of the property \"Value\" of the element \"Part\" has the name "
       "of the link table Relations (letter case aside)"},
      {"the link table in another case, nested", mapWith("rELATIONS", "Value", true),
       "the table \"rELATIONS\" of the property \"Value\" of the element \"Footprint\" has the "
       "name of the link table Relations (letter case aside)"},
      {"a name the database keeps", mapWith("sys_tables", "Value"),
       "the table \"sys_tables\" of the property \"Value\" of the element \"Part\" is reserved: "
       "the database keeps sys_ names"},
      {"a similar name that is free", mapWith("RelationsOld", "Value"), ""},
  };
  for (const Case& c : cases) {
    CEDASyncMap map;
    ASSERT_TRUE(map.load(write("EDASyncMap.xml", c.xml).c_str())) << c.label;
    std::string problem = "stale";
    EXPECT_EQ(map.checkNames("Relations", reservedBySys, &problem), c.problem.empty()) << c.label;
    EXPECT_EQ(problem, c.problem) << c.label;
  }
}

}  // namespace
