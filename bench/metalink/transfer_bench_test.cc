// The transfer benchmark measures what it claims: the generated libraries hold what the note
// says, the bulk load writes exactly the rows the import is compared with, and the closing table
// reads its figures right.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "library/eda_library.h"
#include "odbc_test_database.h"
#include "platform/files.h"
#include "platform/text.h"
#include "transfer_bench_bulk.h"
#include "transfer_bench_check.h"
#include "transfer_bench_library.h"
#include "transfer_bench_odbc.h"
#include "transfer_bench_report.h"
#include "transfer_bench_transfer.h"

namespace tb = transfer_bench;

namespace {

std::string scratchDirectory() {
  std::string pattern = platform::joinPath(platform::tempDirectory(), "transfer-bench-XXXXXX");
  if (mkdtemp(pattern.data()) == nullptr) return "";
  // The PostgreSQL server, another user, reads the COPY files from here.
  chmod(pattern.c_str(), 0755);
  return pattern;
}

TEST(TransferBenchLibrary, GeneratedFileHoldsWhatTheNoteSays) {
  const std::string dir = scratchDirectory();
  ASSERT_FALSE(dir.empty());
  const std::string path = platform::joinPath(dir, "lib.xml");
  for (int parts : {1, 10, 37, 1000}) {
    SCOPED_TRACE(parts);
    std::string error;
    ASSERT_TRUE(tb::writeLibraryFile(parts, path, &error)) << error;
    EDALibrary library;
    ASSERT_TRUE(library.load(path.c_str())) << library.getLastError();
    // No reference was left unresolved.
    EXPECT_EQ(library.getLastError(), "");
    const tb::LibrarySummary summary = tb::summarize(library);
    EXPECT_EQ(summary, tb::expectedSummary(parts)) << tb::describe(summary);
    EXPECT_EQ(summary.datasheets, (parts + 9) / 10);
    // The import follows the relations of the type the sync map names.
    EDAItem* first = library.findItem("Part", "BP-0000000");
    ASSERT_NE(first, nullptr);
    std::vector<EDAWorkspaceObject*> datasheets;
    first->getSecondaryObjects("QREL_reference", "Datasheet", &datasheets);
    EXPECT_EQ(datasheets.size(), 1u);
    const EDAAttribute* value = first->getAttribute("Value");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->getValue() + " " + value->getUnit(), "1 Ohm");
    EXPECT_EQ(first->getAttribute("Manufacturer")->getValue(), "Yageo");
  }
  EDALibrary library;
  std::string error;
  ASSERT_TRUE(tb::writeLibraryFile(8, path, &error)) << error;
  ASSERT_TRUE(library.load(path.c_str()));
  EXPECT_EQ(library.findItem("Part", "BP-0000004")->getAttribute("Manufacturer")->getValue(),
            "O'Neil Components");
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  rmdir(dir.c_str());
}

// Every link row and reference cell names rows that exist, by the identity values a fresh table
// hands out in row order.
TEST(TransferBenchLibrary, TableRowsAgreeWithEachOther) {
  const int parts = 95;
  const auto& tables = tb::benchTables();
  ASSERT_EQ(tables.size(), 3u);
  EXPECT_EQ(tb::totalRowCount(parts), 95 + 10 + 10);
  std::vector<std::string> row;
  std::vector<std::string> part;
  for (int i = 0; i < tb::tableRowCount(2, parts); ++i) {
    tb::tableRow(2, i, parts, &row);
    ASSERT_EQ(row.size(), tables[2].columns.size());
    const int primary = std::stoi(row[1]);
    const int secondary = std::stoi(row[3]);
    ASSERT_GE(primary, 1);
    ASSERT_LE(primary, parts);
    ASSERT_LE(secondary, tb::tableRowCount(1, parts));
    tb::tableRow(0, primary - 1, parts, &part);
    ASSERT_EQ(part.size(), tables[0].columns.size());
    // Only the parts with a datasheet have an alternate; it names the next part (the last wraps).
    const std::string next = std::to_string(primary % parts + 1);
    EXPECT_EQ(part[8], "Parts&#44;" + next + "&#44;Reference");
  }
  tb::tableRow(0, 1, parts, &part);
  EXPECT_EQ(part[8], "");
  EXPECT_EQ(part[3].find("&#44;"), part[3].rfind("&#44;")) << "value and unit: " << part[3];
}

TEST(TransferBenchBulk, CsvFieldsAreQuoted) {
  EXPECT_EQ(tb::csvField("plain"), "\"plain\"");
  EXPECT_EQ(tb::csvField("a, \"b\""), "\"a, \"\"b\"\"\"");
  EXPECT_EQ(tb::csvField(""), "\"\"");
}

// The three tables hold the rows of a library of `parts` parts, and the link rows and reference
// cells name the right rows.
void expectTablesHoldTheRows(edatest::TestDatabase* db, int parts) {
  tb::BenchConnection connection;
  std::string error;
  ASSERT_TRUE(connection.open(platform::utf16ToUtf8(db->dsn()), platform::utf16ToUtf8(db->user()),
                              platform::utf16ToUtf8(db->password()), &error))
      << error;
  long long rows = 0;
  EXPECT_EQ(tb::compareWithLibrary(&connection, parts, &rows), "ok");
  EXPECT_EQ(rows, tb::totalRowCount(parts));
}

std::unique_ptr<edatest::TestDatabase> newDatabase(edatest::OdbcDriver driver) {
  std::string error;
  std::unique_ptr<edatest::TestDatabase> db = edatest::TestDatabase::create(driver, &error);
  EXPECT_NE(db, nullptr) << error;
  return db;
}

void expectBulkLoadWritesTheRows(edatest::OdbcDriver driver) {
  std::unique_ptr<edatest::TestDatabase> db = newDatabase(driver);
  ASSERT_NE(db, nullptr);
  const std::string dir = scratchDirectory();
  ASSERT_FALSE(dir.empty());
  const int parts = 42;
  {
    tb::BenchConnection connection;
    std::string error;
    ASSERT_TRUE(connection.open(platform::utf16ToUtf8(db->dsn()), platform::utf16ToUtf8(db->user()),
                                platform::utf16ToUtf8(db->password()), &error))
        << error;
    ASSERT_TRUE(tb::bulkLoad(&connection, parts, dir, &error)) << error;
  }
  expectTablesHoldTheRows(db.get(), parts);
  // The bulk load hands out identity values in row order, as its reference cells assume.
  const auto ids =
      db->query("SELECT \"Parts0\" FROM \"Parts\" WHERE \"PartNumber\" = 'BP-0000010'");
  ASSERT_EQ(ids.size(), 1u);
  EXPECT_EQ(ids[0][0].value_or(""), "11");
  rmdir(dir.c_str());
}

// The import leaves the very rows the bulk load writes, so that the two times compare the same
// work; the export brings the library's content back.
void expectTransfersMoveTheRows(edatest::OdbcDriver driver) {
  std::unique_ptr<edatest::TestDatabase> db = newDatabase(driver);
  ASSERT_NE(db, nullptr);
  const std::string dir = scratchDirectory();
  ASSERT_FALSE(dir.empty());
  // The connector keeps its configuration and log in TEMP.
  setenv("TEMP", dir.c_str(), 1);
  const int parts = 42;
  const std::string library = platform::joinPath(dir, "lib.xml");
  const std::string exported = platform::joinPath(dir, "export.xml");
  std::string error;
  ASSERT_TRUE(tb::writeLibraryFile(parts, library, &error)) << error;
  const tb::TransferTarget target{platform::utf16ToUtf8(db->dsn()),
                                  platform::utf16ToUtf8(db->user()),
                                  platform::utf16ToUtf8(db->password()),
                                  EDA_SOURCE_DIR "/bench/metalink/transfer_bench_syncmap.xml"};
  ASSERT_EQ(tb::runImport(target, library), 1);
  expectTablesHoldTheRows(db.get(), parts);

  ASSERT_EQ(tb::runExport(target, exported, 3), 1);
  EDALibrary back;
  ASSERT_TRUE(back.load(exported.c_str())) << back.getLastError();
  EXPECT_EQ(tb::summarize(back), tb::expectedSummary(parts)) << tb::describe(tb::summarize(back));
  std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(TransferBenchTransfer, SqliteImportWritesTheBulkRowsAndExportReadsThemBack) {
  expectTransfersMoveTheRows(edatest::OdbcDriver::kSqlite);
}

TEST(TransferBenchTransfer, PostgresImportWritesTheBulkRowsAndExportReadsThemBack) {
  expectTransfersMoveTheRows(edatest::OdbcDriver::kPostgres);
}

TEST(TransferBenchBulk, SqliteLoadsTheRowsInOneTransaction) {
  expectBulkLoadWritesTheRows(edatest::OdbcDriver::kSqlite);
}

// The comparison notices a reference or a link row that names another row, and a missing row.
TEST(TransferBenchCheck, FindsRowsThatDiffer) {
  const struct {
    const char* change;
    const char* found;
  } cases[] = {
      {"UPDATE \"Parts\" SET \"Alternate\" = 'Parts&#44;3&#44;Reference' WHERE \"PartNumber\" = "
       "'BP-0000000'",
       "Parts: BP-0000000 |"},
      {"UPDATE \"Relations\" SET \"SecondaryID\" = '1' WHERE \"PrimaryID\" = '11'",
       "Relations: the link rows name other rows"},
      {"UPDATE \"Datasheets\" SET \"Folder\" = 'x' WHERE \"Datasheets0\" = 2",
       "Datasheets: DS-0000001.pdf | Datasheet | x instead of"},
      {"DELETE FROM \"Parts\" WHERE \"PartNumber\" = 'BP-0000005'", "Parts: 19 rows, not 20"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.change);
    std::unique_ptr<edatest::TestDatabase> db = newDatabase(edatest::OdbcDriver::kSqlite);
    ASSERT_NE(db, nullptr);
    tb::BenchConnection connection;
    std::string error;
    ASSERT_TRUE(connection.open(platform::utf16ToUtf8(db->dsn()), "", "", &error)) << error;
    ASSERT_TRUE(tb::bulkLoad(&connection, 20, "", &error)) << error;
    ASSERT_TRUE(connection.execute(c.change, &error)) << error;
    long long rows = 0;
    EXPECT_EQ(tb::compareWithLibrary(&connection, 20, &rows).rfind(c.found, 0), 0u)
        << tb::compareWithLibrary(&connection, 20, &rows);
  }
}

TEST(TransferBenchBulk, PostgresCopiesTheRows) {
  expectBulkLoadWritesTheRows(edatest::OdbcDriver::kPostgres);
}

TEST(TransferBenchReport, ResultLinesRoundTrip) {
  tb::CaseResult r;
  r.op = "import";
  r.driver = "sqlite";
  r.parts = 1000;
  r.rows = 1200;
  r.seconds = 2.5;
  r.peakKb = 20480;
  r.check = "Parts:1100/1000, with blanks";
  tb::CaseResult back;
  ASSERT_TRUE(tb::parseResultLine(tb::formatResultLine(r), &back));
  EXPECT_EQ(back.op, r.op);
  EXPECT_EQ(back.driver, r.driver);
  EXPECT_EQ(back.parts, r.parts);
  EXPECT_EQ(back.rows, r.rows);
  EXPECT_DOUBLE_EQ(back.seconds, r.seconds);
  EXPECT_EQ(back.peakKb, r.peakKb);
  EXPECT_EQ(back.check, r.check);

  const struct {
    const char* line;
    bool ok;
  } cases[] = {
      {"STOPPED op=import driver=postgres parts=100000 seconds=600", true},
      {"SKIPPED op=export driver=postgres parts=100000", true},
      {"progress write 10/20", false},
      {"RESULT op=import driver=sqlite parts=abc", false},
      {"RESULT op=import driver=sqlite", false},
  };
  for (const auto& c : cases) {
    tb::CaseResult parsed;
    EXPECT_EQ(tb::parseResultLine(c.line, &parsed), c.ok) << c.line;
  }
}

tb::CaseResult result(const char* kind, const char* op, int parts, double seconds) {
  tb::CaseResult r;
  r.kind = kind;
  r.op = op;
  r.driver = "sqlite";
  r.parts = parts;
  r.rows = parts + parts / 5;
  r.seconds = seconds;
  r.peakKb = 10240;
  return r;
}

tb::CaseResult stopped(const char* op, int parts, double seconds) {
  tb::CaseResult r = result("STOPPED", op, parts, seconds);
  r.check = "progress write 9/10";
  return r;
}

TEST(TransferBenchReport, TableGivesRatesRatiosAndGrowth) {
  const std::vector<tb::CaseResult> results = {
      result("RESULT", "import", 1000, 2.0),  result("RESULT", "bulk", 1000, 0.1),
      result("RESULT", "export", 1000, 0.5),  result("RESULT", "import", 10000, 40.0),
      result("RESULT", "bulk", 10000, 1.0),   result("RESULT", "export", 10000, 5.0),
      stopped("import", 100000, 600),         result("SKIPPED", "export", 100000, 0),
      result("RESULT", "bulk", 100000, 10.0),
  };
  const std::string text = tb::formatReport(results);
  // 1,200 rows in 2 s; twenty times the bulk load's 0.1 s.
  EXPECT_NE(text.find("| sqlite | 1,000 | 1,200 | 2.00 | 600 | 20.0x |"), std::string::npos)
      << text;
  EXPECT_NE(text.find("stopped at 600 s"), std::string::npos) << text;
  EXPECT_NE(text.find("1,000 -> 10,000 x20.0"), std::string::npos) << text;
  // Twenty times the time for ten times the parts: parts^1.30.
  EXPECT_NE(text.find("- sqlite import: 1,000 -> 10,000 x20.0 (2.00 s -> 40 s); 10,000 -> "
                      "100,000 more than x15 (stopped at 600 s, progress write 9/10);"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("parts^1.30 from 1,000 to 10,000"), std::string::npos) << text;
  EXPECT_NE(text.find("- sqlite bulk: 1,000 -> 10,000 x10.0 (0.10 s -> 1.00 s); 10,000 -> "
                      "100,000 x10.0 (1.00 s -> 10 s); time ~ parts^1.00 from 1,000 to 100,000."),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("- sqlite export: 1,000 -> 10,000 x10.0 (0.50 s -> 5.00 s); 100,000 "
                      "skipped;"),
            std::string::npos)
      << text;
}

}  // namespace
