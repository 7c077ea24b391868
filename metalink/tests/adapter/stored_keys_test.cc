#include "adapter/stored_keys.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "adapter/stored_cells.h"

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

// A stored row is the same as the cells an import would write only when the database would
// store each written text as the value it holds: '0010' is the stored 10 in an integer column,
// 'ab  ' the stored 'ab' in a char(n), but a NULL is no '' and a text column keeps its blanks.
TEST(StoredCellsTest, RowsAreTheSameOnlyWhereTheDatabaseStoresTheSameValues) {
  StoredCells cells;
  cells.reset({u"code", u"name", u"tag", u"note"}, {ValueRule::kInteger9, ValueRule::kText,
                                                    ValueRule::kTrailingBlanks, ValueRule::kText});
  using Value = std::optional<std::u16string>;
  // Column 0 of each read row is not printed (the identity, as the key read gives it).
  cells.addRow({u"1", u"10", u"ten", Value(u"ab    "), std::nullopt}, 1);
  cells.addRow({u"2", u"x1", u"", Value(u""), u""}, 1);
  struct Case {
    const char* what;
    long long row;
    StoredCells::Cells written;
    bool same;
  };
  const Case cases[] = {
      {"integer as written", 0, {{u"code", u"0010"}, {u"name", u"ten"}}, true},
      {"char(n) without its blanks", 0, {{u"tag", u"ab"}}, true},
      {"char(n) other text", 0, {{u"tag", u" ab"}}, false},
      {"text with a blank more", 0, {{u"name", u"ten "}}, false},
      {"text in another case", 0, {{u"name", u"Ten"}}, false},
      {"integer with a sign", 0, {{u"code", u"+10"}}, false},
      {"another integer", 0, {{u"code", u"11"}}, false},
      {"NULL is no empty text", 0, {{u"note", u""}}, false},
      {"a column not read", 0, {{u"other", u"x"}}, false},
      {"nothing written", 0, {}, true},
      {"stored text an integer column cannot read", 1, {{u"code", u"x1"}}, false},
      {"empty text is empty text", 1, {{u"name", u""}, {u"note", u""}, {u"tag", u"  "}}, true},
      {"a row not read", 2, {}, false},
      {"a row added since", -1, {}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cells.same(c.row, c.written), c.same) << c.what;
  }
  // A row written since the read is never the same again, nor any row after a forget.
  cells.written(0);
  EXPECT_FALSE(cells.same(0, {}));
  EXPECT_TRUE(cells.same(1, {{u"name", u""}}));
  cells.forget();
  EXPECT_FALSE(cells.same(1, {{u"name", u""}}));
}
