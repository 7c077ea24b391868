// The library command and the library adapter: library objects to data set rows and back, by a
// sync map, without a database.
#include "adapter/edalib_adapter.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "adapter/edalib_command.h"
#include "dataset/data_set.h"
#include "library/eda_library.h"
#include "log_capture.h"
#include "platform/files.h"
#include "syncmap/eda_sync_map.h"
#include "testsupport/temp_dir.h"

namespace {

std::string property(const std::string& name, const std::string& table, const std::string& column,
                     bool required = false) {
  return "<property name=\"" + name + "\" required=\"" + (required ? "true" : "false") +
         "\"><table name=\"" + table + "\"><column name=\"" + column + "\"/></table></property>";
}

const std::string kFootprint = "<element name=\"Fp\" type=\"Footprint\" relation=\"view\">" +
                               property("name", "Fps", "FpName", true) +
                               property("type", "Fps", "FpType") + "</element>";

// Parts (items) with footprints and datasheets below them; modules (GDE objects) with footprints.
const std::string kSyncMap =
    "<syncMap><element name=\"Part\" type=\"Resistor\" relation=\"\">" +
    property("itemId", "Parts", "PartNo", true) + property("name", "Parts", "PartName") +
    property("type", "Parts", "PartType") + property("revision", "Parts", "Rev") +
    property("Resistance", "Parts", "Resistance") + property("Tolerance", "Parts", "Tolerance") +
    property("Alt", "Parts", "Alt") + kFootprint +
    "<element name=\"Doc\" type=\"Datasheet\" relation=\"QREL_reference\">" +
    property("name", "Docs", "DocName", true) + property("type", "Docs", "DocType") +
    property("folder", "Docs", "Folder") + "</element></element>" +
    "<element name=\"Module\" type=\"Module\" relation=\"\">" +
    property("name", "Modules", "ModName", true) + kFootprint + "</element></syncMap>";

class TempFiles {
 public:
  std::string write(const std::string& name, const std::string& text) {
    return scratch_.writeFile(name, text);
  }
  std::string path(const std::string& name) { return scratch_.sub(name); }

 private:
  testsupport::TempDir scratch_{"eda-libadapter"};
};

class LibraryAdapterTest : public ::testing::Test {
 protected:
  void SetUp() override { loadSyncMap(kSyncMap); }

  void loadSyncMap(const std::string& text) {
    syncMap_ = std::make_unique<CEDASyncMap>();
    ASSERT_TRUE(syncMap_->load(files_.write("map.xml", text).c_str()));
    adapter_ = std::make_unique<CEDALibAdapter>(&library_, syncMap_.get());
  }

  // A table with an identity column "<name>0" and text columns, as the database side reads it.
  CDataTable* addTable(const std::u16string& name, const std::vector<std::u16string>& columns) {
    CDataTable* table = dataSet_.addTable(name);
    table->addColumn(std::make_unique<CDataColumn>(table, name + u"0", 4, 10, u"", true, true,
                                                   CDataColumn::kAddToTable));
    for (const std::u16string& column : columns) {
      table->addColumn(std::make_unique<CDataColumn>(table, column, -9, 100, u"", false, false,
                                                     CDataColumn::kAddToTable));
    }
    return table;
  }
  void addAllTables() {
    addTable(u"Parts",
             {u"PartNo", u"PartName", u"PartType", u"Rev", u"Resistance", u"Tolerance", u"Alt"});
    addTable(u"Fps", {u"FpName", u"FpType"});
    addTable(u"Docs", {u"DocName", u"DocType", u"Folder"});
    addTable(u"Modules", {u"ModName"});
    CDataTable* relations = dataSet_.addTable(u"Relations");
    for (const char16_t* column :
         {u"PrimaryTable", u"PrimaryID", u"SecondaryTable", u"SecondaryID", u"Relation"}) {
      relations->addColumn(std::make_unique<CDataColumn>(relations, column, -9, 100, u"", false,
                                                         false, CDataColumn::kAddToTable));
    }
  }
  CDataRow* addRow(const std::u16string& table,
                   const std::vector<std::pair<std::u16string, std::u16string>>& values) {
    CDataTable* target = dataSet_.getTable(table);
    CDataRow* row = target->addRow(std::make_unique<CDataRow>(target, 1));
    for (const auto& value : values) row->addValue(value.first, value.second);
    return row;
  }
  void link(const std::u16string& primaryTable, const std::u16string& primaryId,
            const std::u16string& secondaryTable, const std::u16string& secondaryId,
            const std::u16string& relation) {
    addRow(u"Relations", {{u"PrimaryTable", primaryTable},
                          {u"PrimaryID", primaryId},
                          {u"SecondaryTable", secondaryTable},
                          {u"SecondaryID", secondaryId},
                          {u"Relation", relation}});
  }
  EDALibrary& library() { return *library_.getLibrary(); }

  TempFiles files_;
  CEDALibCommand library_;
  std::unique_ptr<CEDASyncMap> syncMap_;
  std::unique_ptr<CEDALibAdapter> adapter_;
  CDataSet dataSet_{u"test"};
};

std::vector<std::u16string> cells(const CDataTable* table, const std::u16string& column) {
  std::vector<std::u16string> out;
  for (const auto& row : table->getRows()) out.push_back(row->getValue(column));
  return out;
}

TEST(LibraryCommandTest, ForwardsToItsLibrary) {
  TempFiles files;
  CEDALibCommand command;
  EXPECT_EQ(command.createItem("", "n", "Resistor"), nullptr);
  EDAItem* item = command.createItem("R1", "n1", "Resistor");
  ASSERT_NE(item, nullptr);
  ASSERT_NE(command.createGde("F1", "Footprint"), nullptr);
  EXPECT_EQ(command.findObject(item->getElemId()), item);
  EXPECT_EQ(command.getItems(), std::vector<EDAWorkspaceObject*>{item});
  EXPECT_EQ(command.getObjects("Footprint").size(), 1u);

  const std::string path = files.path("lib.xml");
  ASSERT_TRUE(command.save(path));
  CEDALibCommand loaded;
  ASSERT_TRUE(loaded.load(path));
  ASSERT_EQ(loaded.getItems().size(), 1u);
  EXPECT_EQ(loaded.getItems().front()->getName(), "n1");
  EXPECT_FALSE(loaded.load(files.path("missing.xml")));
}

TEST_F(LibraryAdapterTest, ObjectsBecomeRowsWithEncodedCellsAndLinks) {
  addAllTables();
  EDAItem* r1 = library().createItem("R1", "Part one", "Resistor");
  EDAItem* r2 = library().createItem("R2", "Part two", "Resistor");
  r1->setValue("revision", "B", false);
  EDAAttribute* resistance = r1->getOrCreateAttribute("Resistance");
  resistance->setValue("10");
  resistance->setUnit("kOhm");
  r1->getOrCreateAttribute("Tolerance")->setValue("1%");
  EDAAttribute* alt = r1->getOrCreateAttribute("Alt");
  alt->setType("Reference");
  alt->setValue(r2->getElemId());
  EDAAttribute* broken = r2->getOrCreateAttribute("Alt");
  broken->setType("reference");
  broken->setValue("id9999");

  EDAGde* f1 = library().createGde("F1", "Footprint");
  EDAGde* f2 = library().createGde("F2", "footprint");
  EDADataset* d1 = library().createDataset("D1", "Datasheet");
  d1->setFolder("d/x.pdf");
  r1->addRelation("view", f1);
  r1->addRelation("view", f2);  // type differs in case only: not the element's type
  r1->addRelation("QREL_reference", d1);
  EDAGde* m1 = library().createGde("M1", "Module");
  m1->addRelation("view", library().createGde("F3", "Footprint"));  // views belong to parts

  adapter_->fill(&dataSet_);

  const CDataTable* parts = dataSet_.getTable(u"Parts");
  // The reference row of R2 comes first, keyed and carrying R2's identifying values.
  ASSERT_EQ(parts->getRows().size(), 3u);
  EXPECT_EQ(cells(parts, u"PartNo"), (std::vector<std::u16string>{u"R2", u"R1", u"R2"}));
  const CDataRow* reference = parts->getRows()[0].get();
  EXPECT_EQ(reference->getValue(u"PartName"), u"Part two");
  EXPECT_EQ(reference->getValue(u"PartType"), u"Resistor");
  EXPECT_EQ(reference->getKeyColumns(), std::vector<std::u16string>{u"PartNo"});

  const CDataRow* row1 = parts->getRows()[1].get();
  EXPECT_EQ(row1->getValue(u"Resistance"), u"10&#44;kOhm");
  EXPECT_EQ(row1->getValue(u"Tolerance"), u"1%");
  EXPECT_EQ(row1->getValue(u"Rev"), u"B");
  EXPECT_FALSE(row1->hasValue(u"Alt"));
  ASSERT_EQ(row1->getReferencedRows().count(u"Alt"), 1u);
  EXPECT_EQ(row1->getReferencedRows().at(u"Alt"), reference);
  EXPECT_EQ(row1->getKeyColumns(), std::vector<std::u16string>{u"PartNo"});
  // A reference naming no object of the library leaves the cell without value.
  const CDataRow* row2 = parts->getRows()[2].get();
  EXPECT_FALSE(row2->hasValue(u"Alt"));
  EXPECT_TRUE(row2->getReferencedRows().empty());

  EXPECT_EQ(cells(dataSet_.getTable(u"Fps"), u"FpName"), std::vector<std::u16string>{u"F1"});
  EXPECT_EQ(cells(dataSet_.getTable(u"Docs"), u"Folder"), std::vector<std::u16string>{u"d/x.pdf"});
  EXPECT_EQ(cells(dataSet_.getTable(u"Modules"), u"ModName"), std::vector<std::u16string>{u"M1"});
  ASSERT_EQ(row1->getRelatedRows().size(), 2u);
  EXPECT_EQ(row1->getRelatedRows().at(u"view").front(),
            dataSet_.getTable(u"Fps")->getRows().front().get());
  EXPECT_EQ(row1->getRelatedRows().at(u"QREL_reference").size(), 1u);
}

TEST_F(LibraryAdapterTest, ObjectsOfAMissingTableAreSkipped) {
  addTable(u"Modules", {u"ModName"});
  library().createItem("R1", "Part one", "Resistor");
  library().createGde("M1", "Module");
  adapter_->fill(&dataSet_);
  EXPECT_EQ(dataSet_.getTable(u"Parts"), nullptr);
  EXPECT_EQ(dataSet_.getTable(u"Modules")->getRows().size(), 1u);
}

class RowsToObjectsTest : public LibraryAdapterTest {
 protected:
  void SetUp() override {
    LibraryAdapterTest::SetUp();
    addAllTables();
    addRow(u"Parts", {{u"Parts0", u"1"},
                      {u"PartNo", u"R1"},
                      {u"PartName", u"Part one"},
                      {u"PartType", u"Resistor"},
                      {u"Rev", u"B"},
                      {u"Resistance", u"10&#44;kOhm"},
                      {u"Tolerance", u"a&#44;b&#44;c&#44;d"},
                      {u"Alt", u"Parts&#44;2&#44;Reference"}});
    addRow(u"Parts", {{u"Parts0", u"2"},
                      {u"PartNo", u"R2"},
                      {u"PartName", u"Part two"},
                      {u"PartType", u"resistor"},
                      {u"Tolerance", u"5%"},
                      {u"Alt", u"Parts&#44;99&#44;Reference"}});
    addRow(u"Parts", {{u"Parts0", u"3"},
                      {u"PartNo", u"C1"},
                      {u"PartName", u"Cap"},
                      {u"PartType", u"Capacitor"}});
    // Identity 7 in two tables: each child element takes the rows of its own table and type.
    addRow(u"Fps", {{u"Fps0", u"7"}, {u"FpName", u"F1"}, {u"FpType", u"Footprint"}});
    addRow(u"Docs", {{u"Docs0", u"7"},
                     {u"DocName", u"D1"},
                     {u"DocType", u"Datasheet"},
                     {u"Folder", u"d/x.pdf"}});
    addRow(u"Modules", {{u"Modules0", u"1"}, {u"ModName", u"M1"}});
    link(u"Parts", u"1", u"Fps", u"7", u"view");
    link(u"Parts", u"1", u"Docs", u"7", u"QREL_reference");
    link(u"Parts", u"2", u"Fps", u"7", u"view");
    link(u"Modules", u"1", u"Fps", u"7", u"view");
  }
};

TEST_F(RowsToObjectsTest, RowsBecomeItemsGdesAndRelations) {
  ASSERT_TRUE(adapter_->update(&dataSet_));

  EXPECT_EQ(library().countObjects("EDAItem"), 2u);  // the capacitor row is no resistor
  EDAItem* r1 = library().findItem("Resistor", "R1");
  EDAItem* r2 = library().findItem("resistor", "R2");
  ASSERT_NE(r1, nullptr);
  ASSERT_NE(r2, nullptr);
  EXPECT_EQ(r1->getValue("revision", false), "B");

  const EDAAttribute* resistance = r1->getAttribute("Resistance");
  ASSERT_NE(resistance, nullptr);
  EXPECT_EQ(resistance->getValue(), "10");
  EXPECT_EQ(resistance->getUnit(), "kOhm");
  EXPECT_EQ(resistance->getType(), "");
  // Four parts: the attribute is made but nothing is set on it.
  const EDAAttribute* odd = r1->getAttribute("Tolerance");
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(odd->getValue(), "");
  EXPECT_EQ(odd->getUnit(), "");
  EXPECT_EQ(r2->getAttribute("Tolerance")->getValue(), "5%");

  // The reference resolves to the item of row 2 itself, not to a copy.
  const EDAAttribute* alt = r1->getAttribute("Alt");
  ASSERT_NE(alt, nullptr);
  EXPECT_EQ(alt->getType(), "Reference");
  EXPECT_TRUE(alt->isRequired());
  EXPECT_EQ(alt->getValue(), r2->getElemId());
  // A reference to a row that is not there keeps its type and no value.
  EXPECT_EQ(r2->getAttribute("Alt")->getType(), "Reference");
  EXPECT_EQ(r2->getAttribute("Alt")->getValue(), "");

  // The shared footprint is one object linked from both parts and the module.
  EXPECT_EQ(library().countObjects("EDAGde"), 3u);  // F1, D1, M1
  EDAGde* f1 = library().findGde("Footprint", "F1");
  EDAGde* d1 = library().findGde("Datasheet", "D1");
  EDAGde* m1 = library().findGde("Module", "M1");
  ASSERT_TRUE(f1 && d1 && m1);
  std::vector<EDAContextObject*> secondaries;
  r1->getSecondaryObjects("view", &secondaries);
  EXPECT_EQ(secondaries, std::vector<EDAContextObject*>{f1});
  r1->getSecondaryObjects("QREL_reference", &secondaries);
  EXPECT_EQ(secondaries, std::vector<EDAContextObject*>{d1});
  r2->getSecondaryObjects("view", &secondaries);
  EXPECT_EQ(secondaries, std::vector<EDAContextObject*>{f1});
  m1->getSecondaryObjects("view", &secondaries);
  EXPECT_EQ(secondaries, std::vector<EDAContextObject*>{f1});
  EXPECT_EQ(r1->getRelations().size(), 2u);
  ASSERT_NE(d1->getAttribute("folder"), nullptr);
  EXPECT_EQ(d1->getAttribute("folder")->getValue(), "d/x.pdf");
}

TEST_F(RowsToObjectsTest, WithoutCreateAttributesOnlyEncodedCellsMakeAttributes) {
  ASSERT_TRUE(adapter_->updateLibrary(nullptr, &dataSet_, false, nullptr));
  EDAItem* r1 = library().findItem("Resistor", "R1");
  ASSERT_NE(r1, nullptr);
  EXPECT_EQ(r1->getValue("revision", false), "B");  // a property of the class
  EXPECT_NE(r1->getAttribute("Resistance"), nullptr);
  EXPECT_NE(r1->getAttribute("Alt"), nullptr);
  const EDAItem* r2 = library().findItem("resistor", "R2");
  const EDAGde* d1 = library().findGde("Datasheet", "D1");
  ASSERT_TRUE(r2 && d1);
  EXPECT_EQ(r2->getAttribute("Tolerance"), nullptr);
  EXPECT_EQ(d1->getAttribute("folder"), nullptr);
}

TEST_F(RowsToObjectsTest, ItemSourceNeedsASourceAdapter) {
  CEDALibCommand source;
  EXPECT_FALSE(adapter_->updateLibrary(nullptr, &dataSet_, true, &source));
  EXPECT_EQ(library().countObjects("EDAItem"), 0u);
}

TEST_F(LibraryAdapterTest, ElementWithoutTypeIsReported) {
  edatest::LogCapture log;
  loadSyncMap("<syncMap><element name=\"X\" type=\"\" relation=\"\">" +
              property("name", "Modules", "ModName", true) + "</element></syncMap>");
  addTable(u"Modules", {u"ModName"});
  addRow(u"Modules", {{u"Modules0", u"1"}, {u"ModName", u"M1"}});
  ASSERT_TRUE(adapter_->update(&dataSet_));
  EXPECT_EQ(library().countObjects("EDAGde"), 0u);
  EXPECT_EQ(
      log.messages("ERROR"),
      std::vector<std::string>{"The property [type] of element [] is not mapped to a column"});
}

}  // namespace
