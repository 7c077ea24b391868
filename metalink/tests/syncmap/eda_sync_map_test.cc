#include "syncmap/eda_sync_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "syncmap/xerces_support.h"
#include "xml_test_support.h"

namespace {

using xmltest::ScratchTest;

std::vector<std::string> names(const std::vector<CEDAElement*>& elements) {
  std::vector<std::string> out;
  for (const CEDAElement* e : elements) out.push_back(e->getName());
  return out;
}

std::vector<std::string> names(const std::vector<CEDAProperty*>& properties) {
  std::vector<std::string> out;
  for (const CEDAProperty* p : properties) out.push_back(p->getName());
  return out;
}

std::string columnOf(const CEDAElement* element, const std::string& property) {
  const CEDAProperty* p = element->getProperty(property);
  if (p == nullptr || p->getColumn() == nullptr) return "-";
  return p->getColumn()->getTable()->getName() + "." + p->getColumn()->getName();
}

class SyncMapTest : public ScratchTest {
 protected:
  bool load(const std::string& xml) { return map_.load(write("EDASyncMap.xml", xml).c_str()); }
  CEDASyncMap map_;
};

// A document that exercises every reading rule at once: prefixes, case-insensitive attribute
// names, skipped elements, properties outside elements, first table only, non-column children.
const char* const kMixedMap = R"(<?xml version="1.0"?>
<m:map xmlns:m="urn:any">
  <property name="Stray"><table name="Stray"><column name="Stray"/></table></property>
  <m:element NAME="Part" Type="EDAItem" relation="">
    <property name="itemId" required="true"><table name="Parts"><column name="PartNo"/></table></property>
    <property name="Name" required="TRUE"><table name="PARTS"><column name="PartName"/></table></property>
    <property name="Value" required="yes">
      <ignored/>
      <table name="Parts"><column name="Value"/></table>
      <table name="Other"><column name="Value"/></table>
    </property>
    <m:property name="Note"/>
    <property name="Odd"><table name="Parts"><comment/><column name="Odd"/></table></property>
    <property name="Empty"><table name="Parts"/></property>
    <element name="Footprint" type="EDAGde" relation="view">
      <property name="name" required="true"><table name="Footprints"><column name="FpName"/></table></property>
      <element name="Model" type="edaitem" relation="model"/>
    </element>
  </m:element>
  <group>
    <element name="Hidden" type="EDAItem"><property name="x"><table name="T"><column name="c"/></table></property></element>
  </group>
  <element name="Doc" type="EDADataset" relation="">
    <property NAME="folder"><table NAME="Docs"><column NAME="Folder"/></table></property>
  </element>
</m:map>
)";

TEST_F(SyncMapTest, ReadsElementsPropertiesAndColumnsByTheReadingRules) {
  ASSERT_TRUE(load(kMixedMap)) << map_.getLastError();
  const auto top = map_.getElements();
  ASSERT_EQ(names(top), (std::vector<std::string>{"Part", "Doc"}));
  const CEDAElement* part = top[0];
  EXPECT_EQ(part->getType(), "EDAItem");
  EXPECT_EQ(part->getParent(), nullptr);
  EXPECT_EQ(names(part->getProperties()),
            (std::vector<std::string>{"itemId", "Name", "Value", "Note", "Odd", "Empty"}));

  struct Case {
    const char* property;
    const char* column;  // "-" when unmapped
    bool required;
  };
  const Case cases[] = {
      {"itemId", "Parts.PartNo", true},
      {"name", "Parts.PartName", false},
      {"value", "Parts.Value", false},
      {"Note", "-", false},
      {"Odd", "-", false},
      {"Empty", "-", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.property);
    EXPECT_EQ(columnOf(part, c.property), c.column);
    ASSERT_NE(part->getProperty(c.property), nullptr);
    EXPECT_EQ(part->getProperty(c.property)->isRequired(), c.required);
  }
  EXPECT_EQ(names(part->getMappedProperties()),
            (std::vector<std::string>{"itemId", "Name", "Value"}));
  EXPECT_EQ(names(part->getMappedProperties(true)), (std::vector<std::string>{"itemId"}));
  EXPECT_EQ(part->getMappedPropertyNames(), (std::vector<std::string>{"itemId", "Name", "Value"}));
  ASSERT_NE(part->getMappedTable(), nullptr);
  EXPECT_EQ(part->getMappedTable()->getName(), "Parts");

  const auto children = part->getChildren();
  ASSERT_EQ(names(children), (std::vector<std::string>{"Footprint"}));
  EXPECT_EQ(children[0]->getRelation(), "view");
  EXPECT_EQ(children[0]->getParent(), part);
  ASSERT_EQ(names(children[0]->getChildren()), (std::vector<std::string>{"Model"}));
  EXPECT_EQ(top[1]->getMappedTable()->getName(), "Docs");

  // Parts and PARTS are one table named as first written; Stray and the skipped group's table
  // never appear; the second table of Value is ignored.
  EXPECT_EQ(map_.getTableNames(), (std::vector<std::string>{"Docs", "Footprints", "Parts"}));
  EXPECT_EQ(map_.findTable("parts")->getColumnNames(),
            (std::vector<std::string>{"PartName", "PartNo", "Value"}));
}

TEST_F(SyncMapTest, HasMappingLooksIntoNestedElements) {
  ASSERT_TRUE(load(R"(<map>
    <element name="Bare" type="A"><property name="p"/></element>
    <element name="Outer" type="B"><element name="Inner" type="C">
      <property name="q"><table name="T"><column name="q"/></table></property></element></element>
  </map>)"));
  const auto top = map_.getElements();
  ASSERT_EQ(top.size(), 2u);
  EXPECT_FALSE(top[0]->hasMapping());
  EXPECT_EQ(top[0]->getMappedTable(), nullptr);
  EXPECT_TRUE(top[1]->hasMapping());
  EXPECT_EQ(top[1]->getMappedTable(), nullptr);
}

TEST_F(SyncMapTest, FindElementsByTypeIgnoresCaseAndVisitsParentsFirst) {
  ASSERT_TRUE(load(kMixedMap));
  EXPECT_EQ(names(map_.findElementsByType(map_.getElements(), "edaitem")),
            (std::vector<std::string>{"Part", "Model"}));
  EXPECT_EQ(names(map_.findElementsByType(map_.getElements(), "EDAGDE")),
            (std::vector<std::string>{"Footprint"}));
  EXPECT_TRUE(map_.findElementsByType(map_.getElements(), "Nothing").empty());
}

TEST_F(SyncMapTest, RegisterColumnMergesTablesAndKeepsDuplicateColumnRecordsAlive) {
  CEDAColumn* first = map_.registerColumn("Parts", "Value");
  CEDAColumn* second = map_.registerColumn("PARTS", "Value");
  CEDAColumn* other = map_.registerColumn("parts", "Other");
  ASSERT_EQ(map_.getTables().size(), 1u);
  CEDATable* table = map_.getTables()[0];
  EXPECT_EQ(table->getName(), "Parts");
  EXPECT_EQ(first->getTable(), table);
  EXPECT_EQ(second->getTable(), table);
  EXPECT_EQ(other->getTable(), table);
  EXPECT_NE(first, second);
  // The table lists the first record; the second stays usable by whoever holds it.
  EXPECT_EQ(table->getColumn("Value"), first);
  EXPECT_EQ(second->getName(), "Value");
  EXPECT_EQ(table->getColumn("value"), nullptr);
  EXPECT_EQ(table->getColumnNames(), (std::vector<std::string>{"Other", "Value"}));
}

TEST_F(SyncMapTest, DocumentTypeDeclarationIsNotFetched) {
  // The DTD file is broken: loading it would fail the parse.
  write("broken.dtd", "<!ELEMENT oops");
  ASSERT_TRUE(
      load("<?xml version=\"1.0\"?>\n<!DOCTYPE map SYSTEM \"broken.dtd\">\n"
           "<map><element name=\"E\" type=\"T\"/></map>"))
      << map_.getLastError();
  EXPECT_EQ(map_.getElements().size(), 1u);
}

TEST_F(SyncMapTest, RefusesBrokenAndHostileFilesWithTheFailureMessage) {
  for (const auto& bad : xmltest::badDocuments(kMixedMap)) {
    SCOPED_TRACE(bad.label);
    CEDASyncMap map;
    const std::string file = write("bad.xml", bad.text);
    EXPECT_FALSE(map.load(file.c_str()));
    EXPECT_EQ(map.getLastError().rfind(
                  "Fail to load the EDASyncMap.xml file from " + file + " because ", 0),
              0u)
        << map.getLastError();
  }
}

TEST_F(SyncMapTest, MissingFileFailsWithAnErrorLine) {
  EXPECT_FALSE(map_.load(path("missing.xml").c_str()));
  EXPECT_EQ(map_.getLastError().rfind("Fail to load the EDASyncMap.xml file from", 0), 0u);
  const auto lines = logLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(0, 6), "ERROR ");
  EXPECT_NE(lines[0].find(map_.getLastError()), std::string::npos);
  EXPECT_FALSE(map_.load(nullptr));
}

TEST_F(SyncMapTest, LongMessagesAreCutToTheBufferSize) {
  const std::string longName(600, 'x');
  EXPECT_FALSE(map_.load(path(longName + ".xml").c_str()));
  EXPECT_EQ(map_.getLastError().size(), CEDASyncMap::kMaxErrorLength);
}

// `levels` elements, each inside the one before; the innermost is of type "inner".
std::string nested(int levels) {
  std::string deep = "<map>";
  for (int i = 1; i <= levels; ++i) {
    deep += std::string("<element name=\"e\" type=\"") + (i == levels ? "inner" : "t") + "\">";
  }
  for (int i = 0; i < levels; ++i) deep += "</element>";
  return deep + "</map>";
}

TEST_F(SyncMapTest, NestingUpToTheLimitLoadsAndBeyondItFails) {
  ASSERT_TRUE(load(nested(CEDASyncMap::kMaxNesting))) << map_.getLastError();
  EXPECT_EQ(map_.findElementsByType(map_.getElements(), "inner").size(), 1u);

  CEDASyncMap deeper;
  EXPECT_FALSE(deeper.load(write("deeper.xml", nested(CEDASyncMap::kMaxNesting + 1)).c_str()));
  EXPECT_NE(deeper.getLastError().find("nested"), std::string::npos);
}

TEST_F(SyncMapTest, RootWithoutElementsLoadsEmpty) {
  ASSERT_TRUE(load("<map><!-- nothing --></map>"));
  EXPECT_TRUE(map_.getElements().empty());
  EXPECT_TRUE(map_.getTables().empty());
  EXPECT_TRUE(map_.getLastError().empty());
}

TEST_F(SyncMapTest, SampleMapDescribesTheSampleLibrary) {
  const std::string sample = std::string(EDA_SOURCE_DIR) + "/examples/EDASyncMap.xml";
  ASSERT_TRUE(map_.load(sample.c_str())) << map_.getLastError();
  EXPECT_EQ(names(map_.getElements()),
            (std::vector<std::string>{"Resistor", "Capacitor", "IC", "Symbol"}));
  EXPECT_EQ(map_.getTableNames(),
            (std::vector<std::string>{"Capacitors", "Datasheets", "Footprints", "ICs", "Resistors",
                                      "Symbols"}));
  for (const CEDAElement* element : map_.getElements()) {
    SCOPED_TRACE(element->getName());
    EXPECT_TRUE(element->hasMapping());
    EXPECT_FALSE(element->getMappedProperties(true).empty());
  }
  const auto footprints = map_.findElementsByType(map_.getElements(), "footprint");
  ASSERT_EQ(footprints.size(), 3u);
  for (const CEDAElement* footprint : footprints) EXPECT_EQ(footprint->getRelation(), "view");
  // Units and references travel in attributes named like their column.
  const CEDAElement* resistor = map_.getElements()[0];
  for (const char* name : {"Resistance", "Power", "SecondSource"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(columnOf(resistor, name), std::string("Resistors.") + name);
  }
}

}  // namespace

namespace {

TEST(AssignLimitedTest, CutsAtTheLimitWithoutSplittingACharacter) {
  struct Case {
    const char* label;
    std::string message;
    size_t limit;
    std::string expected;
  };
  const Case cases[] = {
      {"short", "abc", 5, "abc"},
      {"exact", "abcde", 5, "abcde"},
      {"ascii cut", "abcdef", 5, "abcde"},
      // "é" is two bytes; cutting after its first byte would leave invalid UTF-8.
      {"two-byte sequence", "abcd\xC3\xA9", 5, "abcd"},
      {"three-byte sequence", "ab\xE2\x82\xAC", 4, "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::string target = "old";
    assignLimited(&target, c.message, c.limit);
    EXPECT_EQ(target, c.expected);
  }
}

}  // namespace
