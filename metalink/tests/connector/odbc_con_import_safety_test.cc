// Imports that meet a database they cannot write: a lock held by another session, a connection
// lost half-way, a read-only database, a table that cannot be created after part of the schema
// was committed; and text of every plane in a process that never chose a
// locale. Each leaves the database exactly as it was, or with exactly the text given.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "connector/odbc_con_operation.h"
#include "connector_fixture.h"
#include "odbc_drivers.h"
#include "odbc_test_database.h"
#include "platform/text.h"

namespace {

using edatest::kSampleLibrary;
const char* kPart =
    "SELECT \"Manufacturer\" FROM \"Resistors\" WHERE \"PartNumber\" = 'R-10K-0603'";

using DriverNames = OdbcDriverNames;

template <typename Driver>
class ImportSafetyTest : public edatest::ConnectorTest<Driver> {
 protected:
  void SetUp() override {
    edatest::ConnectorTest<Driver>::SetUp();
    this->env_.writeIni("LogLevel=INFO\nLockTimeout=1\n");
  }
  // The sample library with the first "Yageo" manufacturer replaced.
  std::string changedLibrary(const std::string& manufacturer) {
    std::string text = edatest::readFile(kSampleLibrary);
    const std::string from = "name=\"Manufacturer\" value=\"Yageo\"";
    text.replace(text.find(from), from.size(),
                 "name=\"Manufacturer\" value=\"" + manufacturer + "\"");
    const std::string path = this->env_.path("changed.xml");
    edatest::writeFile(path, text);
    return path;
  }
  // Every table's row count and the part the changed library touches.
  std::string snapshot() {
    std::string text;
    for (const char* table :
         {"Resistors", "Capacitors", "ICs", "Footprints", "Datasheets", "Symbols", "Relations"}) {
      text += std::string(table) + "=" +
              this->scalar(std::string("SELECT COUNT(*) FROM \"") + table + "\"") + " ";
    }
    return text + this->scalar(kPart);
  }
};
TYPED_TEST_SUITE(ImportSafetyTest, OdbcDrivers, DriverNames);

// Another session holds the lock the import needs: the import waits LockTimeout= seconds, then
// ends with one clear error and writes nothing.
TYPED_TEST(ImportSafetyTest, ALockHeldElsewhereEndsTheImportAfterTheTimeout) {
  ASSERT_EQ(this->importLibrary(kSampleLibrary), 1);
  const std::string before = this->snapshot();
  const std::string changed = this->changedLibrary("Yageo Corp");
  std::string error;
  if (this->isSqlite()) {
    ASSERT_TRUE(this->db_->execute("BEGIN IMMEDIATE", &error)) << error;
  } else {
    ASSERT_TRUE(this->db_->execute("BEGIN", &error)) << error;
    ASSERT_TRUE(this->db_->execute("LOCK TABLE \"Resistors\" IN ACCESS EXCLUSIVE MODE", &error))
        << error;
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(this->importLibrary(changed), 0);
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
          .count();
  EXPECT_LT(seconds, 15);
  ASSERT_TRUE(this->db_->execute("ROLLBACK", &error)) << error;
  EXPECT_EQ(this->snapshot(), before);
  const auto lines = this->errors();
  ASSERT_FALSE(lines.empty());
  EXPECT_LE(lines.size(), 3u);
  EXPECT_NE(lines.back().find("import"), std::string::npos) << lines.back();
}

// Characters of every plane reach the database exactly, in a process that never called
// setlocale (the test processes do not), and come back through the export.
TYPED_TEST(ImportSafetyTest, TextOfEveryPlaneIsImportedAndExportedExactly) {
  const std::string text = "Yag\xCE\xA9o \xE4\xB8\xAD \xF0\x9F\x98\x80 \xF0\xA0\x80\x80";
  ASSERT_EQ(this->importLibrary(this->changedLibrary(text)), 1);
  EXPECT_EQ(this->scalar(kPart), text);
  const std::string exported = this->env_.path("exported.xml");
  ASSERT_EQ(this->exportLibrary(exported), 1);
  EXPECT_NE(edatest::readFile(exported).find(text), std::string::npos);
}

template <typename Driver>
class PostgresImportSafetyTest : public ImportSafetyTest<Driver> {
 protected:
  static constexpr int kManyTables = 250;
  static std::string tableName(int table) {
    char text[16];
    std::snprintf(text, sizeof text, "Part%03d", table);
    return std::string(text);
  }
  // A sync map of kManyTables tables, each the table of an element of its own with one required
  // property (which gives it a lookup index), and a library with one item of the first element.
  // More than one PostgreSQL transaction of the schema check takes.
  void writeManyTables() {
    std::string map = "<syncMap>";
    for (int t = 0; t < kManyTables; ++t) {
      const std::string name = tableName(t);
      map += "<element name=\"" + name + "\" type=\"" + name +
             "\"><property name=\"itemId\" required=\"true\"><table name=\"" + name +
             "\"><column name=\"Code\"/></table></property></element>";
    }
    edatest::writeFile(manyMap_, map + "</syncMap>");
    edatest::writeFile(oneItem_,
                       "<ecad:edaLib xmlns:ecad=\"http://www.morvane.com/Schemas/ecadlib\">"
                       "<ecad:item elemId=\"id2\" itemId=\"c1\" name=\"first\" "
                       "type=\"Part000\"/></ecad:edaLib>");
  }
  int importManyTables() { return this->importLibrary(oneItem_, manyMap_); }
  std::vector<std::string> column(const std::string& query) {
    std::vector<std::string> found;
    for (const auto& row : this->db_->query(query)) found.push_back(row.at(0).value_or("<null>"));
    return found;
  }
  std::vector<std::string> tables() {
    return column(
        "SELECT table_name FROM information_schema.tables WHERE table_schema = 'public' AND "
        "table_type = 'BASE TABLE' ORDER BY table_name");
  }
  // The checks every failed import of the many tables must pass: the ERROR lines name `blocked`,
  // the last says what stays, and the import's lock is released (the advisory locks of this
  // test's own database only: tests beside this one lock theirs on the same server).
  void expectFailure(const std::string& blocked, const std::string& stays) {
    const auto lines = this->errors();
    ASSERT_FALSE(lines.empty());
    bool named = false;
    for (const std::string& line : lines) named = named || line.find(blocked) != std::string::npos;
    EXPECT_TRUE(named) << ::testing::PrintToString(lines);
    EXPECT_NE(lines.back().find("no row was written. " + stays), std::string::npos) << lines.back();
    EXPECT_EQ(this->scalar("SELECT COUNT(*) FROM pg_locks WHERE locktype = 'advisory' AND "
                           "database = (SELECT oid FROM pg_database WHERE datname = "
                           "current_database())"),
              "0");
  }

  const std::string manyMap_ = this->env_.path("many.xml");
  const std::string oneItem_ = this->env_.path("one.xml");
};
using PostgresOnly = ::testing::Types<PostgresDriver>;
TYPED_TEST_SUITE(PostgresImportSafetyTest, PostgresOnly, DriverNames);

// The server ends the import's session half-way (as a server stopped or a network lost would):
// the result is 0 and the database is exactly as before.
TYPED_TEST(PostgresImportSafetyTest, ALostConnectionLeavesTheDatabaseAsBefore) {
  this->env_.writeIni("LogLevel=INFO\nLockTimeout=120\n");
  ASSERT_EQ(this->importLibrary(kSampleLibrary), 1);
  const std::string before = this->snapshot();
  const std::string changed = this->changedLibrary("Yageo Corp");
  // The manufacturer of a second resistor changes too. Rows the import finds as stored are not
  // written at all, so the lock of this session on the second resistor's row holds the import
  // in the middle of its writes, with the first one written.
  std::string text = edatest::readFile(changed);
  const std::string from = "name=\"Manufacturer\" value=\"Yageo\"";
  text.replace(text.find(from), from.size(), "name=\"Manufacturer\" value=\"Yageo Two\"");
  edatest::writeFile(changed, text);
  std::string error;
  ASSERT_TRUE(this->db_->execute("BEGIN", &error)) << error;
  ASSERT_TRUE(this->db_->execute(
      "SELECT * FROM \"Resistors\" WHERE \"PartNumber\" = 'R-100R-0603' FOR UPDATE", &error))
      << error;
  auto result =
      std::async(std::launch::async, [this, changed] { return this->importLibrary(changed); });
  bool ended = false;
  for (int i = 0; i < 1200 && !ended; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // This session is inside its transaction, where the server keeps the activity view it read
    // first: drop that snapshot, or an import that reaches the lock later is never seen.
    this->db_->query("SELECT pg_stat_clear_snapshot()", &error);
    const auto rows = this->db_->query(
        "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = "
        "current_database() AND pid <> pg_backend_pid() AND wait_event_type = 'Lock'",
        &error);
    ended = !rows.empty();
  }
  EXPECT_TRUE(ended);
  EXPECT_EQ(result.get(), 0);
  ASSERT_TRUE(this->db_->execute("ROLLBACK", &error)) << error;
  EXPECT_EQ(this->snapshot(), before);
  EXPECT_LE(this->errors().size(), 4u);
}

// A database that cannot be written ends the import at once, with no half-written rows.
TYPED_TEST(PostgresImportSafetyTest, AReadOnlyDatabaseEndsTheImport) {
  ASSERT_EQ(this->importLibrary(kSampleLibrary), 1);
  const std::string before = this->snapshot();
  std::string error;
  ASSERT_TRUE(
      this->db_->execute("DO $$ BEGIN EXECUTE format('ALTER DATABASE %I SET "
                         "default_transaction_read_only = on', current_database()); END $$",
                         &error))
      << error;
  EXPECT_EQ(this->importLibrary(this->changedLibrary("Yageo Corp")), 0);
  EXPECT_EQ(this->snapshot(), before);
  const auto lines = this->errors();
  ASSERT_FALSE(lines.empty());
  EXPECT_LE(lines.size(), 3u);
}

// A map too large for one PostgreSQL transaction is checked in parts. When a table after the
// first part cannot be created, the parts committed before stay and the log says so, the failed
// part leaves nothing, the import's lock is released, and once the obstacle is gone the next
// import goes through.
TYPED_TEST(PostgresImportSafetyTest, ASchemaCheckFailingAfterACommittedPartKeepsThatPart) {
  constexpr int kBlocked = 230;
  this->writeManyTables();
  std::vector<std::string> names;
  for (int t = 0; t < this->kManyTables; ++t) names.push_back(this->tableName(t));
  const std::string blocked = this->tableName(kBlocked);
  this->sql("CREATE VIEW \"" + blocked + "\" AS SELECT 1 AS x");

  EXPECT_EQ(this->importManyTables(), 0);
  // The committed part is a run of whole tables from the start of the map, and the last line
  // names where it ends; the blocked table's part is gone, and so is the link table, which
  // comes after every mapped table.
  const std::vector<std::string> kept = this->tables();
  ASSERT_GT(kept.size(), 0u);
  ASSERT_LT(kept.size(), static_cast<size_t>(kBlocked));
  EXPECT_EQ(kept, std::vector<std::string>(names.begin(), names.begin() + kept.size()));
  this->expectFailure(blocked, "The changes to the tables up to " + kept.back() +
                                   " (in the sync map's order) had been committed and stay, the "
                                   "later ones were rolled back");
  EXPECT_EQ(this->scalar("SELECT COUNT(*) FROM \"" + names.front() + "\""), "0");

  this->sql("DROP VIEW \"" + blocked + "\"");
  EXPECT_EQ(this->importManyTables(), 1) << ::testing::PrintToString(this->errors());
  names.push_back("Relations");
  EXPECT_EQ(this->tables(), names);
  EXPECT_EQ(this->scalar("SELECT \"Code\" FROM \"" + names.front() + "\""), "c1");
}

// The same when the check fails among the lookup indexes, made after every table, with a part
// of them committed: the tables stay whole, the indexes committed stay, the later ones do not.
TYPED_TEST(PostgresImportSafetyTest, AnIndexFailingAfterACommittedPartKeepsTheTables) {
  constexpr int kBlocked = 240;
  this->writeManyTables();
  // A view holds the name of the table's lookup index.
  const std::string blocked = this->tableName(kBlocked) + "_lookup";
  this->sql("CREATE VIEW \"" + blocked + "\" AS SELECT 1 AS x");
  const std::string lookupIndexes =
      "SELECT indexname FROM pg_indexes WHERE schemaname = 'public' AND indexname LIKE "
      "'%\\_lookup' ORDER BY indexname";

  EXPECT_EQ(this->importManyTables(), 0);
  EXPECT_EQ(this->tables().size(), static_cast<size_t>(this->kManyTables) + 1);
  const std::vector<std::string> kept = this->column(lookupIndexes);
  ASSERT_GT(kept.size(), 0u);
  ASSERT_LT(kept.size(), static_cast<size_t>(kBlocked));
  for (size_t i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(kept[i], this->tableName(static_cast<int>(i)) + "_lookup");
  }
  this->expectFailure(blocked,
                      "The tables and columns had been committed and stay, and the lookup "
                      "indexes up to the one of " +
                          this->tableName(static_cast<int>(kept.size()) - 1) +
                          "; the later indexes were rolled back");

  this->sql("DROP VIEW \"" + blocked + "\"");
  EXPECT_EQ(this->importManyTables(), 1) << ::testing::PrintToString(this->errors());
  EXPECT_EQ(this->column(lookupIndexes).size(), static_cast<size_t>(this->kManyTables) + 1);
}

}  // namespace
