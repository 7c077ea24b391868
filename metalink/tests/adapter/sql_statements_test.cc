#include "adapter/sql_statements.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "adapter/json_rows.h"
#include "adapter/odbc_value_text.h"
#include "adapter/result_row.h"
#include "platform/text.h"

namespace {

std::string utf8(const std::u16string& text) { return platform::utf16ToUtf8(text); }

class SqlStatementsTest : public ::testing::Test {
 protected:
  SqlStatementsTest() : dataSet_(u"test"), sql_(u"\"", SqlDialect()) {
    dataSet_.addTypeName(-9, u"VARCHAR");
    dataSet_.addTypeName(4, u"INTEGER");
    parts_ = dataSet_.addTable(u"Parts");
    id_ = addColumn(parts_, u"Parts0", 4, true, true);
    addColumn(parts_, u"Name", -9, false, false);
    addColumn(parts_, u"Pins", -9, false, false);
  }
  CDataColumn* addColumn(CDataTable* table, const std::u16string& name, int type, bool autoInc,
                         bool key, uint32_t flags = CDataColumn::kAddToTable) {
    return table->addColumn(
        std::make_unique<CDataColumn>(table, name, type, 255, u"", autoInc, key, flags));
  }
  CDataRow* addRow(CDataTable* table) {
    return table->addRow(std::make_unique<CDataRow>(table, 1));
  }

  CDataSet dataSet_;
  SqlStatementBuilder sql_;
  CDataTable* parts_;
  CDataColumn* id_;
};

TEST_F(SqlStatementsTest, RowStatementsQuoteNamesAndEscapeValues) {
  CDataRow* row = addRow(parts_);
  row->addValue(u"Name", u"O'Hara");
  row->addValue(u"Pins", u"8");
  row->addValue(u"Pins", u"14");
  row->addValue(u"Parts0", u"3");
  row->addKeyColumn(u"Name");

  struct Case {
    const char* what;
    std::u16string got;
    const char* expected;
  };
  const Case cases[] = {
      {"insert", sql_.insert(*row),
       "INSERT INTO \"Parts\"(\"Name\",\"Parts0\",\"Pins\") VALUES('O''Hara', '3', '8&#59;14')"},
      {"update by key columns", sql_.update(*row, false),
       "UPDATE \"Parts\" SET \"Name\" = 'O''Hara', \"Pins\" = '8&#59;14' WHERE \"Name\" = "
       "'O''Hara'"},
      {"update by primary key", sql_.update(*row, true),
       "UPDATE \"Parts\" SET \"Name\" = 'O''Hara', \"Pins\" = '8&#59;14' WHERE \"Parts0\" = '3'"},
      {"select by key columns", sql_.select(*row, false),
       "SELECT * FROM \"Parts\" WHERE \"Name\" = 'O''Hara'"},
      {"select by primary key", sql_.select(*row, true),
       "SELECT * FROM \"Parts\" WHERE \"Parts0\" = '3'"},
      {"select where", sql_.selectWhere(parts_, {{u"Name", u"a'b"}, {u"Pins", u"8"}}),
       "SELECT * FROM \"Parts\" WHERE \"Name\" = 'a''b' AND \"Pins\" = '8'"},
      {"select all", sql_.selectWhere(parts_, {}), "SELECT * FROM \"Parts\""},
      {"delete where",
       sql_.deleteWhere(parts_, {{u"PrimaryTable", u"Parts"}, {u"PrimaryID", u"3"}}),
       "DELETE FROM \"Parts\" WHERE \"PrimaryTable\"='Parts' AND \"PrimaryID\"='3'"},
      {"delete without pairs", sql_.deleteWhere(parts_, {}), ""},
      {"delete without table", sql_.deleteWhere(nullptr, {{u"a", u"b"}}), ""},
      {"new identity", sql_.newIdentityQuery(), "SELECT @@IDENTITY As NewIdentity"},
  };
  for (const Case& c : cases) EXPECT_EQ(utf8(c.got), c.expected) << c.what;
}

TEST_F(SqlStatementsTest, RowsWithoutWhereOrValuesGiveNoStatement) {
  CDataRow* row = addRow(parts_);
  row->addValue(u"Name", u"x");
  EXPECT_EQ(sql_.select(*row, false), u"") << "no key columns";
  EXPECT_EQ(sql_.update(*row, false), u"");
  EXPECT_EQ(sql_.update(*row, true), u"") << "no primary key cell";
  CDataRow* identityOnly = addRow(parts_);
  identityOnly->addValue(u"Parts0", u"1");
  EXPECT_EQ(sql_.update(*identityOnly, true), u"") << "nothing to set";
  EXPECT_EQ(sql_.insert(*addRow(parts_)), u"") << "no cells";
}

TEST_F(SqlStatementsTest, TableDefinitions) {
  CDataTable* links = dataSet_.addTable(u"Links");
  addColumn(links, u"Kept", -9, false, true, 0);
  addColumn(links, u"A", -9, false, false);
  addColumn(links, u"B", 4, false, true);

  struct Case {
    const char* what;
    std::u16string got;
    const char* expected;
  };
  const Case cases[] = {
      {"identity column", sql_.columnDefinition(*id_), "\"Parts0\" AUTOINCREMENT"},
      {"wide text column", sql_.columnDefinition(*parts_->findColumn(u"Name")),
       "\"Name\" VARCHAR(255)"},
      {"integer column", sql_.columnDefinition(*links->findColumn(u"B")), "\"B\" INTEGER"},
      {"create", sql_.createTable(*parts_),
       "CREATE TABLE \"Parts\"(\"Parts0\" AUTOINCREMENT,\"Name\" VARCHAR(255),\"Pins\" "
       "VARCHAR(255),PRIMARY KEY(\"Parts0\"))"},
      {"alter adds the marked columns", sql_.alterTableAdd(*links),
       "ALTER TABLE \"Links\" ADD \"A\" VARCHAR(255),\"B\" INTEGER, PRIMARY KEY(\"B\")"},
  };
  for (const Case& c : cases) EXPECT_EQ(utf8(c.got), c.expected) << c.what;

  CDataTable* plain = dataSet_.addTable(u"Plain");
  addColumn(plain, u"A", -9, false, false);
  EXPECT_EQ(utf8(sql_.createTable(*plain)), "CREATE TABLE \"Plain\"(\"A\" VARCHAR(255))");
  CDataTable* nothingToAdd = dataSet_.addTable(u"Old");
  addColumn(nothingToAdd, u"A", -9, false, false, 0);
  EXPECT_EQ(sql_.alterTableAdd(*nothingToAdd), u"");
}

TEST_F(SqlStatementsTest, DialectsChangeOnlyIdentityAndKeyClauses) {
  const SqlStatementBuilder sqlite(u"\"", SqlDialect(SqlDialect::Kind::kSqlite));
  const SqlStatementBuilder postgres(u"\"", SqlDialect(SqlDialect::Kind::kPostgres));
  EXPECT_EQ(utf8(sqlite.createTable(*parts_)),
            "CREATE TABLE \"Parts\"(\"Parts0\" INTEGER PRIMARY KEY AUTOINCREMENT,\"Name\" "
            "VARCHAR(255),\"Pins\" VARCHAR(255))");
  EXPECT_EQ(utf8(postgres.createTable(*parts_)),
            "CREATE TABLE \"Parts\"(\"Parts0\" INTEGER GENERATED BY DEFAULT AS IDENTITY,\"Name\" "
            "VARCHAR(255),\"Pins\" VARCHAR(255),PRIMARY KEY(\"Parts0\"))");
  // SQLite's identity is the key; a key the table had stays unique.
  parts_->findColumn(u"Name")->setPrimaryKey(true);
  EXPECT_EQ(utf8(sqlite.createTable(*parts_)),
            "CREATE TABLE \"Parts\"(\"Parts0\" INTEGER PRIMARY KEY AUTOINCREMENT,\"Name\" "
            "VARCHAR(255),\"Pins\" VARCHAR(255),UNIQUE(\"Name\"))");

  CDataTable* added = dataSet_.addTable(u"Added");
  addColumn(added, u"Added0", 4, true, true);
  EXPECT_EQ(utf8(postgres.alterTableAdd(*added)),
            "ALTER TABLE \"Added\" ADD \"Added0\" INTEGER GENERATED BY DEFAULT AS IDENTITY, ADD "
            "PRIMARY KEY(\"Added0\")");
  EXPECT_EQ(utf8(sql_.alterTableAdd(*added)),
            "ALTER TABLE \"Added\" ADD \"Added0\" AUTOINCREMENT, PRIMARY KEY(\"Added0\")");

  EXPECT_EQ(sqlite.newIdentityQuery(), u"SELECT last_insert_rowid() As NewIdentity");
  EXPECT_EQ(postgres.newIdentityQuery(), u"SELECT lastval() As NewIdentity");
}

TEST(SqlDialectTest, ChosenByDbmsName) {
  struct Case {
    std::u16string name;
    SqlDialect::Kind kind;
  };
  const Case cases[] = {{u"SQLite", SqlDialect::Kind::kSqlite},
                        {u"PostgreSQL", SqlDialect::Kind::kPostgres},
                        {u"postgresql", SqlDialect::Kind::kPostgres},
                        {u"Microsoft SQL Server", SqlDialect::Kind::kDefault},
                        {u"", SqlDialect::Kind::kDefault}};
  for (const Case& c : cases) {
    EXPECT_EQ(SqlDialect::forDbmsName(c.name).kind(), c.kind) << utf8(c.name);
  }
}

// The statements that are not row statements: a name can never end its quoting early.
TEST(SqlStatementBuilderTest, SchemaAndProbeStatements) {
  const SqlStatementBuilder unknown(u"\"", SqlDialect());
  const SqlStatementBuilder sqlite(u"\"", SqlDialect(SqlDialect::Kind::kSqlite));
  const SqlStatementBuilder postgres(u"\"", SqlDialect(SqlDialect::Kind::kPostgres));
  struct Case {
    std::u16string got;
    std::u16string expected;
  };
  const Case cases[] = {
      {unknown.columnsProbe(u"Parts"), u"SELECT * FROM [Parts]"},
      {unknown.columnsProbe(u"a]b"), u"SELECT * FROM [a]]b]"},
      {sqlite.columnsProbe(u"a]\"b"), u"SELECT * FROM \"a]\"\"b\""},
      {postgres.columnsProbe(u"Pa\"rts"), u"SELECT * FROM \"Pa\"\"rts\""},
      {postgres.countRows(u"x\"y"), u"SELECT COUNT(*) FROM \"x\"\"y\""},
      {sqlite.createIndex(u"P_lookup", u"P", {u"a", u"b\""}),
       u"CREATE INDEX \"P_lookup\" ON \"P\" (\"a\", \"b\"\"\")"},
      {sqlite.indexExists(u"it's"),
       u"SELECT name FROM sqlite_master WHERE type = 'index' AND name = 'it''s'"},
      {unknown.indexExists(u"x"), u""},
      {sqlite.sqliteCopyRows(u"a", u"b", {u"c"}),
       u"INSERT INTO \"b\"(\"c\") SELECT \"c\" FROM \"a\" ORDER BY rowid"},
      {sqlite.sqliteColumnDefinition(u"n", u"TEXT", true, u"'x'"),
       u"\"n\" TEXT NOT NULL DEFAULT ('x')"},
      {sqlite.renameTable(u"a", u"b"), u"ALTER TABLE \"a\" RENAME TO \"b\""},
  };
  for (size_t i = 0; i < sizeof cases / sizeof *cases; ++i) {
    EXPECT_EQ(utf8(cases[i].got), utf8(cases[i].expected)) << "case " << i;
  }
}

// Sets of rows: only PostgreSQL takes them; names stay quoted inside the JSON lookups too.
TEST(SqlStatementBuilderTest, RowSetStatements) {
  const SqlStatementBuilder sqlite(u"\"", SqlDialect(SqlDialect::Kind::kSqlite));
  const SqlStatementBuilder postgres(u"\"", SqlDialect(SqlDialect::Kind::kPostgres));
  EXPECT_EQ(sqlite.insertRowSet(u"P", {u"a"}, u"P0"), u"");
  EXPECT_EQ(sqlite.updateRowSet(u"P", {u"a"}, {u"k"}), u"");
  EXPECT_EQ(postgres.updateRowSet(u"P", {u"a"}, {}), u"");
  EXPECT_EQ(utf8(postgres.insertRowSet(u"P\"", {u"a", u"b"}, u"")),
            "INSERT INTO \"P\"\"\"(\"a\",\"b\") SELECT v.\"a\", v.\"b\" FROM "
            "json_populate_recordset(NULL::\"P\"\"\", CAST(? AS json)) AS v");
  EXPECT_EQ(utf8(postgres.insertRowSet(u"P", {u"a"}, u"P0")),
            "WITH i AS (INSERT INTO \"P\"(\"a\") SELECT v.\"a\" FROM "
            "json_populate_recordset(NULL::\"P\", CAST(? AS json)) AS v RETURNING \"P0\") "
            "SELECT \"P0\" FROM i ORDER BY 1");
  EXPECT_EQ(utf8(postgres.updateRowSet(u"P", {u"it's"}, {u"k"})),
            "UPDATE \"P\" SET \"it's\" = CASE WHEN e.doc -> 'it''s' IS NULL THEN \"P\".\"it's\" "
            "ELSE v.\"it's\" END FROM json_array_elements(CAST(? AS json)) AS e(doc), LATERAL "
            "json_populate_record(NULL::\"P\", e.doc) AS v WHERE \"P\".\"k\" = v.\"k\"");
}

TEST(JsonRowsTest, EscapesWhatJsonNeedsAndNothingElse) {
  struct Case {
    std::vector<JsonRow> rows;
    std::u16string expected;
  };
  const Case cases[] = {
      {{}, u"[]"},
      {{{{u"a", u"1"}}, {}}, u"[{\"a\":\"1\"},{}]"},
      {{{{u"q\"", u"x\\y"}, {u"b", u""}}}, u"[{\"q\\\"\":\"x\\\\y\",\"b\":\"\"}]"},
      {{{{u"c", u"line\nfeed\t\x1f"}}}, u"[{\"c\":\"line\\u000afeed\\u0009\\u001f\"}]"},
      {{{{u"k", u"k\u03a9 \U0001F600 &#59;'"}}}, u"[{\"k\":\"k\u03a9 \U0001F600 &#59;'\"}]"},
  };
  for (size_t i = 0; i < sizeof cases / sizeof *cases; ++i) {
    EXPECT_EQ(utf8(jsonRows(cases[i].rows)), utf8(cases[i].expected)) << "case " << i;
  }
}

TEST(SqlQuotingTest, QuotesAndLiterals) {
  struct Case {
    std::u16string got;
    std::u16string expected;
  };
  const Case cases[] = {
      {quoteLiteral(u"O'Hara"), u"'O''Hara'"},
      {quoteLiteral(u"''"), u"''''''"},
      {quoteLiteral(u""), u"''"},
      {quoteLiteral(u"a&#59;b"), u"'a&#59;b'"},
      {quoteIdentifier(u"Parts", u"\""), u"\"Parts\""},
      {quoteIdentifier(u"a\"b", u"\""), u"\"a\"\"b\""},
      {quoteIdentifier(u"a`b", u"`"), u"`a``b`"},
      {quoteIdentifier(u"Parts", u""), u"Parts"},
      {quoteIdentifier(u"Parts", u" "), u" Parts "},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << utf8(c.expected);
}

TEST(ValueTextTest, NumbersAndTimestamps) {
  EXPECT_EQ(formatDouble(12.5), "12.5");
  EXPECT_EQ(formatDouble(1234567), "1.23457e+06");
  EXPECT_EQ(formatDouble(0.00001), "1e-05");
  EXPECT_EQ(formatDouble(-3), "-3");
  EXPECT_EQ(formatTimestamp(2006, 3, 15, 8, 5, 9), "2006-03-15T08:05:09");
  EXPECT_EQ(formatInteger(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(resultInteger(u"42"), 42);
  EXPECT_EQ(resultInteger(u" -9"), -9);
  EXPECT_EQ(resultInteger(u""), 0);
  EXPECT_EQ(resultInteger(u"x1"), 0);
  EXPECT_EQ(resultInteger(u"99999999999"), 2147483647);
}

}  // namespace
