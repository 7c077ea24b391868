// An export that cannot read the database completely, or cannot finish, fails: result 0, one
// line that says why, and the library file exactly as it was before.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "connector/odbc_con_operation.h"
#include "connector/progress.h"
#include "connector_fixture.h"
#include "odbc_drivers.h"
#include "odbc_test_database.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

const std::string kOldLibrary = "<old library, must survive a failed export/>\n";

using Drivers = OdbcDrivers;
using DriverNames = OdbcDriverNames;

template <typename Driver>
class ExportFailureTest : public edatest::ConnectorTest<Driver> {
 protected:
  void SetUp() override {
    edatest::ConnectorTest<Driver>::SetUp();
    library_ = this->env_.path("library.xml");
    edatest::writeFile(library_, kOldLibrary);
  }

  // The operation's own lines (driver messages come before them).
  std::vector<std::string> exportFailures() const {
    std::vector<std::string> lines;
    for (const std::string& line : this->errors()) {
      if (line.rfind("The export failed: ", 0) == 0) lines.push_back(line);
    }
    return lines;
  }
  void expectFailedWithLibraryUnchanged(const std::string& reason) {
    EXPECT_EQ(edatest::readFile(library_), kOldLibrary);
    EXPECT_EQ(exportFailures(), std::vector<std::string>{"The export failed: " + reason +
                                                         "; the library file is unchanged"});
  }

  std::string library_;
};
TYPED_TEST_SUITE(ExportFailureTest, Drivers, DriverNames);

TYPED_TEST(ExportFailureTest, SourceWithoutMappedTablesIsNoLibrary) {
  // An empty database (on SQLite not even its file exists yet), and one that holds only
  // unmapped tables.
  EXPECT_EQ(this->exportLibrary(this->library_), 0);
  EXPECT_EQ(edatest::readFile(this->library_), kOldLibrary);
  EXPECT_FALSE(this->errors().empty());
  // The export did not create what it looked for.
  EXPECT_EQ(this->tableCount(), 0u);

  this->sql("CREATE TABLE \"Unrelated\" (\"Name\" VARCHAR(20))");
  std::filesystem::remove(this->env_.defaultLogPath());
  EXPECT_EQ(this->exportLibrary(this->library_), 0);
  this->expectFailedWithLibraryUnchanged(
      "none of the tables of the sync map exists in the data source");
}

TYPED_TEST(ExportFailureTest, MissingReferenceLibraryStopsBeforeReading) {
  ASSERT_EQ(this->importLibrary(), 1);
  std::filesystem::remove(this->env_.defaultLogPath());
  EXPECT_EQ(this->exportLibrary(this->library_, 9, this->env_.path("no-reference.xml")), 0);
  const std::string reference = this->env_.path("no-reference.xml");
  this->expectFailedWithLibraryUnchanged("the reference library " + reference +
                                         " cannot be loaded");
}

TYPED_TEST(ExportFailureTest, FailedSaveIsAFailedExport) {
  ASSERT_EQ(this->importLibrary(), 1);
  const std::string out = this->env_.path("no-such-dir/out.xml");
  EXPECT_EQ(this->exportLibrary(out), 0);
  EXPECT_FALSE(std::filesystem::exists(out));
  const auto errors = this->errors();
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors.back(), "The export failed: the library file cannot be written");
}

TYPED_TEST(ExportFailureTest, MissingDatabaseFileIsNotCreated) {
  if (!this->isSqlite()) GTEST_SKIP() << "only SQLite keeps its database in a file of the DSN";
  ASSERT_EQ(this->importLibrary(), 1);
  const auto files = this->db_->query("PRAGMA database_list");
  ASSERT_FALSE(files.empty());
  ASSERT_GE(files.front().size(), 3u);
  const std::string file = files.front()[2].value_or("");
  ASSERT_FALSE(file.empty());
  // The database moves away; the DSN still names the old place.
  ASSERT_EQ(std::rename(file.c_str(), (file + ".moved").c_str()), 0);
  EXPECT_EQ(this->exportLibrary(this->library_), 0);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(edatest::readFile(this->library_), kOldLibrary);
  EXPECT_FALSE(this->errors().empty());
  std::rename((file + ".moved").c_str(), file.c_str());
}

// The server ends the export's session while the first table is being read: the next query
// fails, and nothing of the half-read database may reach the file.
TYPED_TEST(ExportFailureTest, ConnectionLostMidwayLeavesTheLibrary) {
  if (this->isSqlite()) GTEST_SKIP() << "SQLite has no server to lose";
  ASSERT_EQ(this->importLibrary(), 1);
  // Enough link rows that the read reports progress before it is done.
  for (int i = 0; i < 250; ++i) {
    this->sql(
        "INSERT INTO \"Relations\" (\"PrimaryTable\", \"PrimaryID\", \"SecondaryTable\", "
        "\"SecondaryID\", \"Relation\") VALUES ('Nowhere', '" +
        std::to_string(i) + "', 'Nowhere', '0', 'none')");
  }
  ASSERT_EQ(this->exportLibrary(this->env_.path("complete.xml")), 1);

  struct Killer {
    edatest::TestDatabase* db;
    bool done = false;
    static void onProgress(void* context, const char*, long long done, long long) {
      auto* self = static_cast<Killer*>(context);
      if (self->done || done == 0) return;
      self->done = true;
      self->db->execute(
          "SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
          "WHERE datname = current_database() AND pid <> pg_backend_pid()");
    }
  } killer{this->db_.get()};
  metalink::setProgressHandler(&Killer::onProgress, &killer);
  std::filesystem::remove(this->env_.defaultLogPath());
  EXPECT_EQ(this->exportLibrary(this->library_), 0);
  metalink::setProgressHandler(nullptr, nullptr);
  ASSERT_TRUE(killer.done);
  EXPECT_EQ(this->exportFailures().size(), 1u);
  EXPECT_EQ(edatest::readFile(this->library_), kOldLibrary);
  // The driver's own words are there too, but not one line per row or table.
  EXPECT_LE(this->errors().size(), 6u) << ::testing::PrintToString(this->errors());
}

// A value that cannot be computed in the middle of a table: the first rows arrive, then a fetch
// fails. Those rows are no table.
TYPED_TEST(ExportFailureTest, FetchFailingAfterSomeRowsLeavesTheLibrary) {
  if (!this->isSqlite()) GTEST_SKIP() << "needs a value computed while the rows are fetched";
  ASSERT_EQ(this->importLibrary(), 1);
  // A virtual column is computed row by row as the driver steps through the result; the fourth
  // row's value overflows.
  this->sql(
      "ALTER TABLE \"Resistors\" ADD COLUMN \"Broken\" INTEGER GENERATED ALWAYS AS "
      "(CASE WHEN \"Resistors0\" > 3 THEN abs(-9223372036854775807 - 1) ELSE 1 END) VIRTUAL");
  EXPECT_EQ(this->exportLibrary(this->library_), 0);
  this->expectFailedWithLibraryUnchanged("the table Resistors cannot be read completely");
}

}  // namespace
