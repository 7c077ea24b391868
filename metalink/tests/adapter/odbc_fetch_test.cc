// Reading results: every value arrives whole whatever size its column declares, a result that
// breaks off is no result, and a read transaction sees one state of the database.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "adapter/odbc_adapter.h"
#include "adapter/odbc_command.h"
#include "dataset/data_set.h"
#include "odbc_fixture.h"
#include "platform/text.h"

namespace {

std::u16string wide(const std::string& text) { return platform::utf8ToUtf16(text); }

// About `bytes` of text, each part numbered so that a cut or a repeated part shows.
std::string longText(size_t bytes) {
  std::string text;
  for (int i = 0; text.size() < bytes; ++i) text += "v" + std::to_string(i) + " 10 kOhm;";
  return text;
}

template <typename Driver>
class OdbcFetchTest : public OdbcFixture<Driver> {};
TYPED_TEST_SUITE(OdbcFetchTest, OdbcDrivers, OdbcDriverNames);

TYPED_TEST(OdbcFetchTest, ValuesLongerThanTheirDeclaredSizeReadBackWhole) {
  // SQLite keeps any length in a VARCHAR(255); PostgreSQL's text has no declared size at all.
  const std::string type = this->isSqlite() ? "VARCHAR(255)" : "TEXT";
  this->sql("CREATE TABLE \"Parts\" (\"Id\" " + this->identityType() + ", \"Short\" VARCHAR(8), " +
            "\"Body\" " + type + ", \"Tail\" VARCHAR(20))");
  const std::vector<std::string> bodies = {"", "x", longText(300), longText(1024 * 1024)};
  for (const std::string& body : bodies) {
    this->sql("INSERT INTO \"Parts\" (\"Short\", \"Body\", \"Tail\") VALUES ('s', '" + body +
              "', 'after')");
  }
  this->sql("INSERT INTO \"Parts\" (\"Short\", \"Body\", \"Tail\") VALUES (NULL, NULL, NULL)");

  // Through the command and through the adapter that an export uses.
  ASSERT_TRUE(
      this->command_.executeQuery(u"SELECT \"Short\", \"Body\", \"Tail\" FROM \"Parts\" "
                                  u"ORDER BY \"Id\""));
  const auto& rows = this->command_.getRows();
  ASSERT_EQ(rows.size(), bodies.size() + 1);
  for (size_t i = 0; i < bodies.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i][1].second.size(), wide(bodies[i]).size());
    EXPECT_TRUE(rows[i][1].second == wide(bodies[i]));
    EXPECT_EQ(rows[i][2].second, u"after");
  }
  EXPECT_EQ(rows.back()[1].second, u"");

  CDataSet dataSet(u"test");
  CODBCAdapter adapter(&this->command_);
  adapter.fill(&dataSet);
  CDataTable* table = dataSet.getTable(u"Parts");
  ASSERT_NE(table, nullptr);
  ASSERT_TRUE(adapter.fillTable(table));
  ASSERT_EQ(table->getRows().size(), bodies.size() + 1);
  size_t whole = 0;
  for (const auto& row : table->getRows()) {
    for (const std::string& body : bodies) {
      if (!body.empty() && row->getValue(u"Body") == wide(body)) ++whole;
    }
  }
  EXPECT_EQ(whole, 3u);
}

TYPED_TEST(OdbcFetchTest, ValuesAroundTheirBufferSizesReadBackExactly) {
  // Rows are read through buffers of the declared size up to a bound, and a value that does not
  // fit is read again: lengths on both sides of the bound, in characters that take one, two, three
  // or four bytes (and one or two UTF-16 units), between and after columns of numbers and NULLs.
  const std::string type = this->isSqlite() ? "VARCHAR(255)" : "TEXT";
  const std::string real = this->isSqlite() ? "REAL" : "DOUBLE PRECISION";
  this->sql("CREATE TABLE \"Cells\" (\"Id\" " + this->identityType() +
            ", \"Code\" VARCHAR(4), \"Count\" INTEGER, \"Body\" " + type + ", \"Price\" " + real +
            ", \"Note\" VARCHAR(10))");
  struct Row {
    std::string code, body, note;
    int count;
  };
  std::vector<Row> rows;
  const std::vector<std::string> characters = {"a", "\u00e9", "\u20ac", "\U0001F600"};
  for (const std::string& character : characters) {
    for (size_t length : {1u, 255u, 256u, 511u, 512u, 513u, 1100u}) {
      std::string body;
      for (size_t i = 0; i < length; ++i) body += character;
      std::string code;
      for (int i = 0; i < 4; ++i) code += character;
      rows.push_back(
          {code, body, "n" + std::to_string(rows.size()), static_cast<int>(rows.size())});
    }
  }
  for (const Row& row : rows) {
    this->sql(
        "INSERT INTO \"Cells\" (\"Code\", \"Count\", \"Body\", \"Price\", \"Note\") VALUES ('" +
        row.code + "', " + std::to_string(row.count) + ", '" + row.body + "', " +
        std::to_string(row.count) + ".5, '" + row.note + "')");
  }
  this->sql("INSERT INTO \"Cells\" (\"Code\") VALUES (NULL)");
  ASSERT_TRUE(this->command_.executeQuery(
      u"SELECT \"Code\", \"Count\", \"Body\", \"Price\", \"Note\" FROM \"Cells\" ORDER BY \"Id\""));
  const auto& got = this->command_.getRows();
  ASSERT_EQ(got.size(), rows.size() + 1);
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i) + ", " + std::to_string(rows[i].body.size()) +
                 " bytes of body");
    ASSERT_EQ(got[i].size(), 5u);
    EXPECT_TRUE(got[i][0].second == wide(rows[i].code));
    EXPECT_EQ(got[i][1].second, wide(std::to_string(rows[i].count)));
    EXPECT_EQ(got[i][2].second.size(), wide(rows[i].body).size());
    EXPECT_TRUE(got[i][2].second == wide(rows[i].body));
    EXPECT_EQ(got[i][3].second, wide(std::to_string(rows[i].count) + ".5"));
    EXPECT_EQ(got[i][4].second, wide(rows[i].note));
  }
  for (const auto& cell : got.back())
    EXPECT_EQ(cell.second, u"") << platform::utf16ToUtf8(cell.first);
}

TYPED_TEST(OdbcFetchTest, NamesLongerThanTheCatalogDeclaresAreListedWhole) {
  if (!this->isSqlite()) GTEST_SKIP() << "PostgreSQL cuts names at 63 bytes itself";
  const std::string table(300, 't');
  const std::string column = "c" + std::string(299, 'o');
  this->sql("CREATE TABLE \"" + table + "\" (\"" + column + "\" INTEGER)");
  this->command_.queryTables();
  EXPECT_EQ(this->command_.getColumnValues(u"TABLE_NAME"),
            std::vector<std::u16string>{wide(table)});
  this->command_.queryColumns(wide(table));
  EXPECT_EQ(this->command_.getColumnValues(u"COLUMN_NAME"),
            std::vector<std::u16string>{wide(column)});
}

TYPED_TEST(OdbcFetchTest, ResultThatBreaksOffIsNoResult) {
  if (!this->isSqlite()) GTEST_SKIP() << "needs a value computed while the rows are fetched";
  this->sql("CREATE TABLE t (n INTEGER)");
  for (int i = 1; i <= 5; ++i) this->sql("INSERT INTO t VALUES (" + std::to_string(i) + ")");
  // The fourth row's value overflows.
  EXPECT_FALSE(this->command_.executeQuery(
      u"SELECT CASE WHEN n > 3 THEN abs(-9223372036854775807 - 1) ELSE n END FROM t ORDER BY n"));
  EXPECT_TRUE(this->command_.getRows().empty());
}

TYPED_TEST(OdbcFetchTest, ReadTransactionSeesOneStateOfTheDatabase) {
  // SQLite lets no other session commit while a read transaction lasts, so there is nothing to
  // see; the export tests cover that an import then waits.
  if (this->isSqlite()) GTEST_SKIP() << "writers wait for the reader";
  this->sql("CREATE TABLE t (n INTEGER)");
  this->sql("INSERT INTO t VALUES (1)");
  auto count = [this] {
    EXPECT_TRUE(this->command_.executeQuery(u"SELECT COUNT(*) FROM t"));
    const auto& rows = this->command_.getRows();
    return rows.empty() ? std::u16string(u"?") : rows.front().front().second;
  };
  ASSERT_TRUE(this->command_.beginReadTransaction());
  EXPECT_EQ(count(), u"1");
  this->sql("INSERT INTO t VALUES (2)");
  EXPECT_EQ(count(), u"1");
  EXPECT_TRUE(this->command_.endTransaction(false));
  EXPECT_EQ(count(), u"2");
}

}  // namespace

TYPED_TEST(OdbcFetchTest, TableFillThatBreaksOffKeepsTheTablesRows) {
  if (!this->isSqlite()) GTEST_SKIP() << "needs a value computed while the rows are fetched";
  this->sql("CREATE TABLE t (n INTEGER)");
  for (int i = 1; i <= 5; ++i) this->sql("INSERT INTO t VALUES (" + std::to_string(i) + ")");
  this->sql(
      "CREATE VIEW v AS SELECT CASE WHEN n > 3 THEN abs(-9223372036854775807 - 1) "
      "ELSE n END AS n FROM t ORDER BY n");
  CDataSet dataSet(u"test");
  CODBCAdapter adapter(&this->command_);
  CDataTable* table = dataSet.addTable(u"v");
  auto earlier = std::make_unique<CDataRow>(table, 1);
  earlier->addValue(u"n", u"earlier");
  table->addRow(std::move(earlier));

  EXPECT_FALSE(adapter.fillTable(table));
  ASSERT_EQ(table->getRows().size(), 1u);
  EXPECT_EQ(table->getRows()[0]->getValue(u"n"), u"earlier");

  // A whole result replaces the rows, each cell named by the table's one copy of its name.
  CDataTable* whole = dataSet.addTable(u"t");
  ASSERT_TRUE(adapter.fillTable(whole));
  ASSERT_EQ(whole->getRows().size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(whole->getRows()[i]->getValue(u"n"), wide(std::to_string(i + 1)));
    EXPECT_EQ(&whole->getRows()[i]->getValueMap().begin()->first.str(), whole->keepName(u"n"));
  }
}
