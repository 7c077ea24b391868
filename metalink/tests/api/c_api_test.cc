// The C functions as a C caller sees them: argument checks, lists handed over, a transfer from
// the sample library into a real database and back.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "metalink/metalink.h"
#include "odbc_test_database.h"
#include "platform/files.h"
#include "platform/text.h"
#include "testsupport/scoped_env.h"
#include "testsupport/temp_dir.h"

namespace {

using edatest::OdbcDriver;
using edatest::TestDatabase;

const metalink_char* c(const std::u16string& text) {
  return reinterpret_cast<const metalink_char*>(text.c_str());
}

using testsupport::readFile;

std::vector<std::string> takeNames(metalink_char** names, int count) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    out.push_back(platform::utf16ToUtf8(reinterpret_cast<const char16_t*>(names[i])));
  }
  metalinkFreeNames(names, count);
  return out;
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Points TEMP at a scratch folder for one test, so ODBCCon.ini and the log are the test's own.
class CApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    dir_ = scratch_.path();
  }
  std::string log() const { return readFile(dir_ + "/ODBCCon.log"); }
  std::u16string path(const std::string& name) const {
    return platform::utf8ToUtf16(dir_ + "/" + name);
  }
  static std::u16string example(const char* name) {
    return platform::utf8ToUtf16(std::string(EDA_SOURCE_DIR) + "/examples/" + name);
  }

  testsupport::TempDir scratch_{"metalink_c_api"};
  testsupport::ScopedEnv temp_{"TEMP", scratch_.path().c_str()};
  std::string dir_;
};

TEST_F(CApiTest, NullArgumentsAreRejectedBeforeAnythingRuns) {
  const std::u16string s = u"x";
  metalink_char** names = reinterpret_cast<metalink_char**>(this);
  EXPECT_EQ(checkDataSource(c(s), c(s), nullptr), 0);
  EXPECT_EQ(checkDataSource(nullptr, c(s), c(s)), 0);
  EXPECT_EQ(exportMetadataDB(c(s), c(s), c(s), c(s), nullptr, 3, c(s)), 0);
  EXPECT_EQ(exportMetadataDB(c(s), c(s), c(s), c(s), c(s), 3, nullptr), 0);
  EXPECT_EQ(importMetadataDB(c(s), c(s), c(s), c(s), nullptr, c(s)), 0);
  EXPECT_EQ(getTables(c(s), nullptr, c(s), &names), 0);
  EXPECT_EQ(getColumns(c(s), c(s), c(s), nullptr, &names), 0);
  EXPECT_EQ(getTables(c(s), c(s), c(s), nullptr), 0);
  EXPECT_EQ(getDataSources(nullptr), 0);
  EXPECT_EQ(names, reinterpret_cast<metalink_char**>(this)) << "out argument untouched";
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/ODBCCon.ini")) << "no connector object was made";
  metalinkFreeNames(nullptr, 3);
}

TEST_F(CApiTest, FailedListsHandOverEmptyArrays) {
  metalink_char** names = nullptr;
  const std::u16string unknown = u"NoSuchDataSource", empty = u"";
  EXPECT_EQ(getTables(c(unknown), c(empty), c(empty), &names), 0);
  ASSERT_NE(names, nullptr) << "an array of length 0 is stored";
  metalinkFreeNames(names, 0);
  EXPECT_NE(log().find("ERROR "), std::string::npos) << "the driver manager's message: " << log();
  EXPECT_EQ(readFile(dir_ + "/ODBCCon.ini"), "LogFile=" + dir_ + "/ODBCCon.log\nLogLevel=info\n");
}

TEST_F(CApiTest, UnusableTemporaryDirectoryFailsEveryCall) {
  setenv("TEMP", (dir_ + "/missing").c_str(), 1);
  const std::u16string s = u"x";
  testing::internal::CaptureStderr();
  EXPECT_EQ(checkDataSource(c(s), c(s), c(s)), 0);
  metalink_char** names = nullptr;
  EXPECT_EQ(getDataSources(&names), 0);
  const std::string err = testing::internal::GetCapturedStderr();
  ASSERT_NE(names, nullptr);
  metalinkFreeNames(names, 0);
  EXPECT_NE(err.find("cannot be used"), std::string::npos) << err;
}

class CApiTransferTest : public CApiTest, public ::testing::WithParamInterface<OdbcDriver> {};

TEST_P(CApiTransferTest, ImportListAndExportTheSampleLibrary) {
  std::string error;
  auto db = TestDatabase::create(GetParam(), &error);
  ASSERT_TRUE(db) << error;
  EXPECT_EQ(checkDataSource(c(db->dsn()), c(db->user()), c(db->password())), 1);

  const std::u16string importLog = path("import.log");
  ASSERT_EQ(importMetadataDB(c(db->dsn()), c(db->user()), c(db->password()),
                             c(example("EDASyncMap.xml")), c(example("EDALib.xml")), c(importLog)),
            1);
  EXPECT_NE(readFile(dir_ + "/import.log").find("Start to import edalib.xml"), std::string::npos);

  metalink_char** names = nullptr;
  const auto tables =
      takeNames(names, getTables(c(db->dsn()), c(db->user()), c(db->password()), &names));
  for (const char* table :
       {"Resistors", "Capacitors", "ICs", "Footprints", "Datasheets", "Relations"}) {
    EXPECT_TRUE(contains(tables, table)) << table;
  }
  const auto columns = takeNames(
      names, getColumns(c(db->dsn()), c(db->user()), c(db->password()), c(u"Resistors"), &names));
  EXPECT_TRUE(contains(columns, "PartNumber"));
  EXPECT_TRUE(contains(columns, "Resistors0")) << "the identity column";

  const std::u16string exported = path("out/EDALib.xml");
  std::filesystem::create_directory(dir_ + "/out");
  ASSERT_EQ(exportMetadataDB(c(exported), c(db->dsn()), c(db->user()), c(db->password()),
                             c(example("EDASyncMap.xml")), 3, c(u"")),
            1);
  const std::string library = readFile(dir_ + "/out/EDALib.xml");
  EXPECT_NE(library.find("itemId=\"R-10K-0603\""), std::string::npos);
  EXPECT_NE(library.find("\xC2\xB5"
                         "F"),
            std::string::npos)
      << "the unit µF survives";
  EXPECT_NE(log().find("End to query data from data source"), std::string::npos);
  EXPECT_EQ(log().find("Start to import"), std::string::npos) << "the import had its own log";
}

// A name with '=' is a connection string; credentials passed beside it reach the driver as they
// do beside a data source name, and no password reaches the log.
TEST_P(CApiTransferTest, ConnectionStringsOpenLikeDataSourceNames) {
  std::string error;
  auto db = TestDatabase::create(GetParam(), &error);
  ASSERT_TRUE(db) << error;
  const std::u16string text = u"DSN=" + db->dsn();
  EXPECT_EQ(checkDataSource(c(text), c(db->user()), c(db->password())), 1);
  ASSERT_EQ(importMetadataDB(c(text), c(db->user()), c(db->password()),
                             c(example("EDASyncMap.xml")), c(example("EDALib.xml")), c(u"")),
            1);
  metalink_char** names = nullptr;
  const auto tables =
      takeNames(names, getTables(c(text), c(db->user()), c(db->password()), &names));
  EXPECT_TRUE(contains(tables, "Resistors"));
  if (db->password().empty()) return;  // the driver takes any password

  EXPECT_EQ(checkDataSource(c(text), c(db->user()), c(u"Wr0ng;Pass")), 0);
  const std::u16string ownPassword = text + u";PWD={Wr0ng;Pass}";
  EXPECT_EQ(checkDataSource(c(ownPassword), c(db->user()), c(db->password())), 0)
      << "the string's own password wins";
  EXPECT_EQ(checkDataSource(c(text + u";PWD=" + db->password()), c(db->user()), c(u"")), 1);
  EXPECT_EQ(log().find("Wr0ng"), std::string::npos) << log();
}

struct PlanRow {
  bool created;
  long long inserted, updated, unchanged, linksReplaced, linksWritten;
};

std::map<std::string, PlanRow> plan(const TestDatabase& db, const std::u16string& syncMap,
                                    const std::u16string& library) {
  metalink_import_plan* plans = nullptr;
  const int count = planImportMetadataDB(c(db.dsn()), c(db.user()), c(db.password()), c(syncMap),
                                         c(library), &plans);
  std::map<std::string, PlanRow> out;
  for (int i = 0; i < count; ++i) {
    const metalink_import_plan& p = plans[i];
    out[platform::utf16ToUtf8(reinterpret_cast<const char16_t*>(p.table))] = {
        p.created != 0, p.inserted, p.updated, p.unchanged, p.linksReplaced, p.linksWritten};
  }
  metalinkFreeImportPlans(plans, count);
  return out;
}

long long countRows(TestDatabase* db, const std::string& table) {
  const auto rows = db->query("SELECT COUNT(*) FROM \"" + table + "\"");
  return rows.empty() || !rows.front().front() ? -1 : std::stoll(*rows.front().front());
}

// The dry run counts what the import then does, on a fresh and on an imported database, and
// leaves the database as it was.
TEST_P(CApiTransferTest, DryRunCountsWhatTheImportDoes) {
  std::string error;
  auto db = TestDatabase::create(GetParam(), &error);
  ASSERT_TRUE(db) << error;
  const std::u16string library = example("EDALib.xml");
  const std::u16string syncMap = example("EDASyncMap.xml");
  const auto fresh = plan(*db, syncMap, library);
  ASSERT_EQ(fresh.size(), 6u);
  EXPECT_TRUE(fresh.at("Resistors").created);
  EXPECT_EQ(fresh.at("Resistors").inserted, 5);
  EXPECT_EQ(fresh.at("Resistors").unchanged + fresh.at("Resistors").linksReplaced, 0);
  metalink_char** names = nullptr;
  EXPECT_EQ(
      takeNames(names, getTables(c(db->dsn()), c(db->user()), c(db->password()), &names)).size(),
      0u)
      << "the dry run created nothing";

  ASSERT_EQ(importMetadataDB(c(db->dsn()), c(db->user()), c(db->password()),
                             c(example("EDASyncMap.xml")), c(library), c(u"")),
            1);
  long long links = 0;
  for (const auto& [table, row] : fresh) {
    EXPECT_EQ(countRows(db.get(), table), row.inserted) << table;
    links += row.linksWritten;
  }
  EXPECT_EQ(countRows(db.get(), "Relations"), links);

  // A second import finds every row as it is and replaces each row's links by the same ones.
  ASSERT_TRUE(
      db->execute("UPDATE \"Resistors\" SET \"Tolerance\" = '9%' WHERE "
                  "\"PartNumber\" = 'R-10K-0603'",
                  &error))
      << error;
  const auto again = plan(*db, syncMap, library);
  for (const auto& [table, row] : again) {
    EXPECT_FALSE(row.created) << table;
    EXPECT_EQ(row.inserted, 0) << table;
    EXPECT_EQ(row.updated, table == "Resistors" ? 1 : 0) << table;
    EXPECT_EQ(row.unchanged + row.updated, fresh.at(table).inserted + fresh.at(table).updated)
        << table;
    EXPECT_EQ(row.linksReplaced, row.linksWritten) << table;
  }
  EXPECT_EQ(countRows(db.get(), "Relations"), links);
  const auto tolerance = db->query(
      "SELECT \"Tolerance\" FROM \"Resistors\" WHERE "
      "\"PartNumber\" = 'R-10K-0603'");
  ASSERT_EQ(tolerance.size(), 1u);
  EXPECT_EQ(tolerance.front().front().value_or(""), "9%") << "the dry run changed nothing";
}

TEST_F(CApiTest, DryRunFailuresHandOverNoPlans) {
  metalink_import_plan* plans = reinterpret_cast<metalink_import_plan*>(this);
  const std::u16string empty = u"";
  EXPECT_EQ(planImportMetadataDB(c(u"NoSuchDataSource"), c(empty), c(empty),
                                 c(example("EDASyncMap.xml")), c(example("EDALib.xml")), &plans),
            -1);
  EXPECT_EQ(plans, nullptr);
  EXPECT_EQ(planImportMetadataDB(nullptr, c(empty), c(empty), c(empty), c(empty), &plans), -1);
  EXPECT_EQ(planImportMetadataDB(c(empty), c(empty), c(empty), c(empty), c(empty), nullptr), -1);
}

std::string driverLabel(const ::testing::TestParamInfo<OdbcDriver>& info) {
  return edatest::driverName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Sqlite, CApiTransferTest, ::testing::Values(OdbcDriver::kSqlite),
                         driverLabel);
INSTANTIATE_TEST_SUITE_P(Postgres, CApiTransferTest, ::testing::Values(OdbcDriver::kPostgres),
                         driverLabel);

// A path that cannot be converted exactly is refused; nothing is read or written under a name
// with a substitute character in it. The same calls with clean paths succeed.
TEST_F(CApiTest, PathsWithUnpairedSurrogatesAreRefused) {
  std::string error;
  auto db = TestDatabase::create(OdbcDriver::kSqlite, &error);
  ASSERT_TRUE(db) << error;
  const std::u16string lone(1, char16_t(0xD800));
  const std::u16string syncMap = example("EDASyncMap.xml");
  const std::u16string badLibrary = path("lib") + lone + u".xml";
  const std::u16string badLog = path("import") + lone + u".log";

  EXPECT_EQ(importMetadataDB(c(db->dsn()), c(db->user()), c(db->password()), c(syncMap),
                             c(example("EDALib.xml")), c(badLog)),
            0);
  EXPECT_EQ(exportMetadataDB(c(badLibrary), c(db->dsn()), c(db->user()), c(db->password()),
                             c(syncMap), 3, c(u"")),
            0);
  EXPECT_EQ(exportMetadataDB(c(path("lib.xml")), c(db->dsn()), c(db->user()), c(db->password()),
                             c(syncMap + lone), 3, c(u"")),
            0);
  EXPECT_EQ(exportMetadataDB(c(path("lib.xml")), c(db->dsn()), c(db->user()), c(db->password()),
                             c(syncMap), 3 | 8, c(path("ref") + lone + u".xml")),
            0);
  const std::string text = log();
  EXPECT_NE(text.find("The path of the log file " + dir_ +
                      "/import\xEF\xBF\xBD.log cannot be used "
                      "because it holds an unpaired UTF-16 surrogate"),
            std::string::npos)
      << text;
  for (const char* what : {"library file", "sync map", "reference library"}) {
    EXPECT_NE(text.find(std::string("The path of the ") + what), std::string::npos) << what;
  }
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir_)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"ODBCCon.ini", "ODBCCon.log"}));

  // Clean paths: the import and the export run.
  EXPECT_EQ(importMetadataDB(c(db->dsn()), c(db->user()), c(db->password()), c(syncMap),
                             c(example("EDALib.xml")), c(path("import.log"))),
            1);
  EXPECT_EQ(exportMetadataDB(c(path("lib.xml")), c(db->dsn()), c(db->user()), c(db->password()),
                             c(syncMap), 3, c(u"")),
            1);
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/lib.xml"));
}

// The progress hook sees the import's rows; the result is the same with or without it.
TEST_F(CApiTest, ProgressHookSeesTheImport) {
  std::string error;
  auto db = TestDatabase::create(OdbcDriver::kSqlite, &error);
  ASSERT_TRUE(db) << error;
  struct Seen {
    long long lastDone = 0;
    int calls = 0;
  } seen;
  metalinkSetProgressHandler(
      [](void* context, const char* phase, long long done, long long) {
        auto* s = static_cast<Seen*>(context);
        if (std::string(phase) == "write") s->lastDone = done, ++s->calls;
      },
      &seen);
  const int result =
      importMetadataDB(c(db->dsn()), c(db->user()), c(db->password()), c(example("EDASyncMap.xml")),
                       c(example("EDALib.xml")), nullptr);
  metalinkSetProgressHandler(nullptr, nullptr);
  EXPECT_EQ(result, 1);
  EXPECT_GT(seen.calls, 0);
  EXPECT_GT(seen.lastDone, 0);
}

}  // namespace
