#include "adapter/stored_keys.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace {

using Rule = StoredKeys::Rule;

// A literal compared with an integer column is read as a number: these texts must come out equal
// exactly when the database would call them equal, and the texts whose reading is not modelled
// must be left to the database.
TEST(StoredKeysTest, IntegerKeysCompareAsNumbers) {
  EXPECT_EQ(StoredKeys::normalise(Rule::kInteger9, u"0010"), std::u16string(u"10"));
  EXPECT_EQ(StoredKeys::normalise(Rule::kInteger9, u"10"), std::u16string(u"10"));
  EXPECT_EQ(StoredKeys::normalise(Rule::kInteger9, u"-007"), std::u16string(u"-7"));
  EXPECT_EQ(StoredKeys::normalise(Rule::kInteger9, u"000"), std::u16string(u"0"));
  EXPECT_EQ(StoredKeys::normalise(Rule::kInteger9, u"-0"), std::u16string(u"0"));
  EXPECT_EQ(StoredKeys::normalise(Rule::kInteger18, u"000123456789012345678"),
            std::u16string(u"123456789012345678"));
  for (const char16_t* unknown : {u"", u"-", u"+1", u" 1", u"1 ", u"1e1", u"1.0", u"x1", u"0x10"}) {
    EXPECT_EQ(StoredKeys::normalise(Rule::kInteger18, unknown), std::nullopt)
        << std::string(unknown, unknown + std::char_traits<char16_t>::length(unknown));
  }
  // Past the range of the column's type the database fails or converts: not modelled.
  EXPECT_EQ(StoredKeys::normalise(Rule::kInteger4, u"12345"), std::nullopt);
  EXPECT_EQ(StoredKeys::normalise(Rule::kInteger9, u"1234567890"), std::nullopt);
  EXPECT_EQ(StoredKeys::normalise(Rule::kInteger18, u"1234567890123456789"), std::nullopt);
}

TEST(StoredKeysTest, TextKeysCompareExactlyOrWithoutTrailingBlanks) {
  EXPECT_EQ(StoredKeys::normalise(Rule::kText, u"ab  "), std::u16string(u"ab  "));
  EXPECT_EQ(StoredKeys::normalise(Rule::kText, u"0010"), std::u16string(u"0010"));
  EXPECT_EQ(StoredKeys::normalise(Rule::kTrailingBlanks, u"ab  "), std::u16string(u"ab"));
  EXPECT_EQ(StoredKeys::normalise(Rule::kTrailingBlanks, u" ab"), std::u16string(u" ab"));
  EXPECT_EQ(StoredKeys::normalise(Rule::kTrailingBlanks, u"   "), std::u16string());
}

// The key of a row is the cells it has among its key columns, in cell order; a row without such
// cells is never looked up, and a lookup before any read leaves the row to the database.
TEST(StoredKeysTest, KeyCellsAreTheRowsCellsAmongItsKeyColumns) {
  CDataSet dataSet(u"db");
  dataSet.addTable(u"T");
  CDataTable* table = dataSet.getTable(u"T");
  CDataRow* row = table->addRow(std::make_unique<CDataRow>(table, 1));
  row->addValue(u"b", u"2");
  row->addValue(u"a", u"1");
  row->addValue(u"c", u"3");
  row->addKeyColumn(u"c");
  row->addKeyColumn(u"a");
  row->addKeyColumn(u"missing");
  EXPECT_EQ(StoredKeys::keyCells(*row), (std::vector<std::u16string>{u"a", u"c"}));
  StoredKeys keys;
  StoredKeys::Match match;
  EXPECT_EQ(keys.find(*row, &match), StoredKeys::Lookup::kAskDatabase);
}

}  // namespace
