#include "adapter/odbc_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "adapter/sql_dialect.h"
#include "odbc_fixture.h"
#include "platform/text.h"

namespace {

std::string utf8(const std::u16string& text) { return platform::utf16ToUtf8(text); }
std::u16string wide(const std::string& text) { return platform::utf8ToUtf16(text); }

template <typename Driver>
class OdbcCommandTest : public OdbcFixture<Driver> {};
TYPED_TEST_SUITE(OdbcCommandTest, OdbcDrivers, OdbcDriverNames);

TYPED_TEST(OdbcCommandTest, ConnectChoosesTheDialectAndReadsTheQuote) {
  EXPECT_TRUE(this->command_.isConnected());
  EXPECT_EQ(this->command_.getDialect().kind(),
            this->isSqlite() ? SqlDialect::Kind::kSqlite : SqlDialect::Kind::kPostgres);
  EXPECT_EQ(this->command_.getIdentifierQuote(), u"\"");
  this->command_.disconnect();
  EXPECT_FALSE(this->command_.isConnected());
  EXPECT_EQ(this->command_.getDialect().kind(), SqlDialect::Kind::kDefault);
  // A command connects again after disconnecting.
  EXPECT_TRUE(this->command_.connect(this->db_->dsn(), this->db_->user(), this->db_->password()));
  // A command destroyed while connected closes its connection (the leak checker would see it).
  auto other = std::make_unique<CODBCCommand>();
  EXPECT_TRUE(other->connect(this->db_->dsn(), this->db_->user(), this->db_->password()));
  other.reset();
}

TYPED_TEST(OdbcCommandTest, FailedConnectLogsEachDriverMessageOnOneErrorLine) {
  CODBCCommand other;
  this->log_.clear();
  EXPECT_FALSE(other.connect(u"NoSuchDataSource", u"", u""));
  EXPECT_FALSE(other.isConnected());
  auto errors = this->log_.messages("ERROR");
  ASSERT_FALSE(errors.empty());
  EXPECT_NE(errors.front().find("not found"), std::string::npos) << errors.front();

  if (this->isSqlite()) return;  // SQLite has no passwords
  this->log_.clear();
  EXPECT_FALSE(other.connect(this->db_->dsn(), this->db_->user(), u"wrong password"));
  errors = this->log_.messages("ERROR");
  ASSERT_FALSE(errors.empty());
  bool named = false;
  for (const auto& message : errors) {
    named = named || message.find("password authentication failed") != std::string::npos;
  }
  EXPECT_TRUE(named) << ::testing::PrintToString(errors);
  // Every line of the file is a complete log line: no message broke across lines.
  for (const auto& line : this->log_.lines()) {
    EXPECT_TRUE(line.rfind("ERROR ", 0) == 0 || line.rfind("DEBUG ", 0) == 0) << line;
  }
}

TYPED_TEST(OdbcCommandTest, ValuesOfEachTypeBecomeText) {
  const bool sqlite = this->isSqlite();
  struct Case {
    const char* type;
    const char* literal;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"DECIMAL(10,2)", "12.5", "12.5"},
      {"INTEGER", "7", "7"},
      {"INTEGER", "-2147483648", "-2147483648"},
      {sqlite ? "BIT" : "BOOLEAN", sqlite ? "1" : "true", "1"},
      {"TIMESTAMP", "'2006-03-15 08:05:09'", "2006-03-15T08:05:09"},
      {"DATE", "'2006-03-15'", "2006-03-15T00:00:00"},
      {"DOUBLE PRECISION", "1234567", "1.23457e+06"},
      {"VARCHAR(10)", "'abcdefghij'", "abcdefghij"},
      {"VARCHAR(10)", "'äöüßéèêëïî'", "äöüßéèêëïî"},
      {"VARCHAR(10)", "''", ""},
      {"VARCHAR(10)", "NULL", ""},
      {"INTEGER", "NULL", ""},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string table = "v" + std::to_string(i);
    this->sql("CREATE TABLE " + table + " (c " + cases[i].type + ")");
    this->sql("INSERT INTO " + table + " VALUES (" + cases[i].literal + ")");
    ASSERT_TRUE(this->command_.executeQuery(wide("SELECT c FROM " + table))) << cases[i].type;
    const auto& rows = this->command_.getRows();
    ASSERT_EQ(rows.size(), 1u) << cases[i].type;
    ASSERT_EQ(rows[0].size(), 1u);
    EXPECT_EQ(rows[0][0].first, u"c");
    EXPECT_EQ(utf8(rows[0][0].second), cases[i].expected)
        << cases[i].type << " holding " << cases[i].literal;
  }
}

TYPED_TEST(OdbcCommandTest, LongTextReadsBackWhole) {
  std::string text;
  for (int i = 0; text.size() < 1024 * 1024; ++i) text += "line " + std::to_string(i) + " äö\n";
  this->sql("CREATE TABLE big (id INTEGER, body TEXT, tail VARCHAR(20))");
  this->sql("INSERT INTO big VALUES (1, '" + text + "', 'after')");
  ASSERT_TRUE(this->command_.executeQuery(u"SELECT id, body, tail FROM big"));
  const auto& rows = this->command_.getRows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(utf8(rows[0][0].second), "1");
  EXPECT_EQ(rows[0][1].second.size(), wide(text).size());
  EXPECT_TRUE(utf8(rows[0][1].second) == text);
  // A column after a long one is still read.
  EXPECT_EQ(rows[0][2].second, u"after");
}

TYPED_TEST(OdbcCommandTest, ExecuteReportsOutcomes) {
  using Outcome = CODBCCommand::Outcome;
  this->sql("CREATE TABLE t (a VARCHAR(10) PRIMARY KEY)");
  this->log_.clear();
  EXPECT_EQ(this->command_.execute(u"INSERT INTO t VALUES ('x')"), Outcome::kDone);
  EXPECT_EQ(this->log_.messages("INFO "), std::vector<std::string>{"INSERT INTO t VALUES ('x')"});
  EXPECT_TRUE(this->command_.lastFailure().empty());
  this->log_.clear();
  // An update that changes nothing is no failure, but the caller learns it.
  EXPECT_EQ(this->command_.execute(u"UPDATE t SET a = 'y' WHERE a = 'none'"), Outcome::kNoRows);
  EXPECT_TRUE(this->log_.messages("ERROR").empty());
  EXPECT_TRUE(this->command_.lastFailure().empty());

  // A failure keeps its SQLSTATE, native code and message, and the one log line shows all three.
  EXPECT_EQ(this->command_.execute(u"INSERT INTO t VALUES ('x')"), Outcome::kFailed);
  const odbc::Failure failure = this->command_.lastFailure();
  EXPECT_EQ(failure.sqlState.size(), 5u);
  if (!this->isSqlite()) {
    EXPECT_EQ(failure.sqlState, "23505");
  }
  EXPECT_FALSE(failure.message.empty());
  EXPECT_EQ(failure.kind(), odbc::Failure::Kind::kStatement);
  const auto errors = this->log_.messages("ERROR");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("SQLSTATE " + failure.sqlState), std::string::npos) << errors[0];
  EXPECT_NE(errors[0].find("native " + std::to_string(failure.nativeCode)), std::string::npos);
  EXPECT_NE(errors[0].find(failure.message), std::string::npos);
  this->command_.clearFailure();
  EXPECT_TRUE(this->command_.lastFailure().empty());
}

// Text of every plane reaches the database and comes back whole, both through literal SQL text
// and through the catalog, in a process that never chose a locale (the test processes do not).
TYPED_TEST(OdbcCommandTest, TextOfEveryPlaneRoundTrips) {
  const std::u16string value = u"k\u03a9 \u00e4\u4e2d \U0001F600\U00020000 'q'";
  const std::u16string table = u"T\u00e4bl\u03a9";
  ASSERT_EQ(this->command_.execute(u"CREATE TABLE \"" + table + u"\" (v VARCHAR(100))"),
            CODBCCommand::Outcome::kDone);
  ASSERT_EQ(this->command_.execute(u"INSERT INTO \"" + table + u"\" VALUES (" +
                                   quoteLiteral(value) + u")"),
            CODBCCommand::Outcome::kDone);
  ASSERT_TRUE(this->command_.executeQuery(u"SELECT v FROM \"" + table + u"\""));
  ASSERT_EQ(this->command_.getRows().size(), 1u);
  EXPECT_EQ(utf8(this->command_.getRows()[0][0].second), utf8(value));
  // The database holds the characters themselves, not replacements: its own length agrees.
  const auto rows =
      this->rows("SELECT v, " + std::string(this->isSqlite() ? "length" : "char_length") +
                 "(v) FROM \"" + utf8(table) + "\"");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0].value_or(""), utf8(value));
  EXPECT_EQ(rows[0][1].value_or(""), "12");
  EXPECT_EQ(this->command_.queryColumns(table), 1);
  EXPECT_EQ(this->command_.getColumnValues(u"TABLE_NAME"), std::vector<std::u16string>{table});
}

TYPED_TEST(OdbcCommandTest, AQueryThatDidNotRunLeavesNoRows) {
  this->sql("CREATE TABLE t (a VARCHAR(10))");
  this->sql("INSERT INTO t VALUES ('x')");
  ASSERT_TRUE(this->command_.executeQuery(u"SELECT a FROM t"));
  ASSERT_EQ(this->command_.getRows().size(), 1u);
  EXPECT_FALSE(this->command_.executeQuery(u"SELECT a FROM missing"));
  EXPECT_TRUE(this->command_.getRows().empty());

  ASSERT_TRUE(this->command_.executeQuery(u"SELECT a FROM t"));
  EXPECT_EQ(this->command_.queryColumns(u"missing"), 0);
  EXPECT_TRUE(this->command_.getRows().empty());

  CODBCCommand unconnected;
  EXPECT_FALSE(unconnected.executeQuery(u"SELECT 1"));
  EXPECT_EQ(unconnected.execute(u"SELECT 1"), CODBCCommand::Outcome::kFailed);
  EXPECT_EQ(unconnected.queryTables(), 0);
}

TYPED_TEST(OdbcCommandTest, CatalogQueriesDescribeTheSchema) {
  this->sql("CREATE TABLE \"Parts\" (\"Id\" " + this->identityType() +
            ", \"PartNo\" VARCHAR(40), \"Name\" VARCHAR(80))");
  this->sql("CREATE TABLE \"Notes\" (\"Text\" VARCHAR(80))");

  const int count = this->command_.queryTables();
  EXPECT_EQ(count, static_cast<int>(this->command_.getRows().size()));
  std::vector<std::u16string> tables;
  for (const auto& name : this->command_.getColumnValues(u"table_name")) {  // ignoring case
    // SQLite lists its own bookkeeping table (for AUTOINCREMENT) among the tables.
    if (name.rfind(u"sqlite_", 0) != 0) tables.push_back(name);
  }
  std::sort(tables.begin(), tables.end());
  EXPECT_EQ(tables, (std::vector<std::u16string>{u"Notes", u"Parts"}));

  EXPECT_EQ(this->command_.queryColumns(u"Parts"), 3);
  EXPECT_EQ(this->command_.getColumnValues(u"COLUMN_NAME"),
            (std::vector<std::u16string>{u"Id", u"PartNo", u"Name"}));
  EXPECT_EQ(this->command_.queryPrimaryKeys(u"Parts"), 1);
  EXPECT_EQ(this->command_.getColumnValues(u"COLUMN_NAME"), std::vector<std::u16string>{u"Id"});
  EXPECT_EQ(this->command_.queryAutoIncrementColumns(u"Parts"), 1);
  EXPECT_EQ(this->command_.getColumnValues(u"COLUMN_NAME"), std::vector<std::u16string>{u"Id"});
  EXPECT_EQ(this->command_.queryAutoIncrementColumns(u"Notes"), 0);
  EXPECT_GE(this->command_.queryStatistics(u"Parts"), 1);
  EXPECT_GT(this->command_.queryTypeInfo(), 5);
}

TYPED_TEST(OdbcCommandTest, ListDataSourcesNamesTheTestDsn) {
  const int count = this->command_.listDataSources();
  EXPECT_EQ(count, static_cast<int>(this->command_.getRows().size()));
  bool found = false;
  for (const auto& row : this->command_.getRows()) {
    ASSERT_EQ(row.size(), 1u);
    EXPECT_TRUE(row[0].second.empty());
    found = found || row[0].first == this->db_->dsn();
  }
  EXPECT_TRUE(found);
}

}  // namespace
