// What each transfer operation does when something is wrong: its result, what it leaves behind
// and what the log says.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "connector/odbc_con_operation.h"
#include "connector/progress.h"
#include "connector_environment.h"
#include "odbc_drivers.h"
#include "odbc_test_database.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

std::u16string wide(const std::string& text) { return platform::utf8ToUtf16(text); }

const std::string kSampleLibrary = EDA_SOURCE_DIR "/examples/EDALib.xml";
const std::string kSampleSyncMap = EDA_SOURCE_DIR "/examples/EDASyncMap.xml";

bool contains(const std::vector<std::string>& lines, const std::string& part) {
  for (const std::string& line : lines) {
    if (line.find(part) != std::string::npos) return true;
  }
  return false;
}

class NoDatabaseFailureTest : public ::testing::Test {
 protected:
  std::vector<std::string> log(const std::string& tag) const {
    return edatest::ConnectorEnvironment::messages(env_.defaultLogPath(), tag);
  }
  edatest::ConnectorEnvironment env_;
};

TEST_F(NoDatabaseFailureTest, ExportWithoutTheRequiredOptionBitDoesNothing) {
  const std::string library = env_.path("out.xml");
  // A sync map path that would log its own failure if it were opened.
  const std::string syncMap = env_.path("missing-map.xml");
  for (int option : {0, 2, 4, 8, 14, -2}) {
    SCOPED_TRACE(option);
    std::filesystem::remove(env_.defaultLogPath());
    CODBCConOperation operation;
    EXPECT_EQ(operation.exportMetadataDB(wide(library), u"NoSuchDsn", u"", u"", wide(syncMap),
                                         option, u""),
              0);
    EXPECT_EQ(log("ERROR"), std::vector<std::string>{"The transfer option is not correct"});
    EXPECT_TRUE(log("INFO ").empty());
    EXPECT_FALSE(std::filesystem::exists(library));
  }
}

TEST_F(NoDatabaseFailureTest, UnknownDataSourceIsRefusedEverywhere) {
  const std::string library = env_.path("out.xml");
  CODBCConOperation operation;
  EXPECT_EQ(operation.checkDataSource(u"NoSuchDsn", u"u", u"p"), 0);
  EXPECT_FALSE(log("ERROR").empty());
  EXPECT_EQ(operation.exportMetadataDB(wide(library), u"NoSuchDsn", u"u", u"p",
                                       wide(kSampleSyncMap), 3, u""),
            0);
  EXPECT_FALSE(std::filesystem::exists(library));
  EXPECT_EQ(operation.importMetadataDB(u"NoSuchDsn", u"u", u"p", wide(kSampleSyncMap),
                                       wide(kSampleLibrary), u""),
            0);
  EXPECT_TRUE(operation.getTables(u"NoSuchDsn", u"u", u"p").empty());
  EXPECT_TRUE(operation.getColumns(u"NoSuchDsn", u"u", u"p", u"Resistors").empty());
}

TEST_F(NoDatabaseFailureTest, UnusableTemporaryDirectoryStopsEveryOperation) {
  const std::string missing = env_.path("gone");
  setenv("TEMP", missing.c_str(), 1);
  CODBCConOperation operation;
  EXPECT_FALSE(operation.isUsable());
  EXPECT_EQ(operation.checkDataSource(u"NoSuchDsn", u"", u""), 0);
  EXPECT_EQ(operation.exportMetadataDB(wide(env_.path("out.xml")), u"NoSuchDsn", u"", u"",
                                       wide(kSampleSyncMap), 3, u""),
            0);
  EXPECT_EQ(operation.importMetadataDB(u"NoSuchDsn", u"", u"", wide(kSampleSyncMap),
                                       wide(kSampleLibrary), u""),
            0);
  EXPECT_TRUE(operation.getDataSources().empty());
  EXPECT_TRUE(operation.getTables(u"NoSuchDsn", u"", u"").empty());
  EXPECT_FALSE(std::filesystem::exists(env_.path("out.xml")));
  EXPECT_FALSE(std::filesystem::exists(missing));
}

using Drivers = OdbcDrivers;
using DriverNames = OdbcDriverNames;

template <typename Driver>
class TransferFailureTest : public NoDatabaseFailureTest {
 protected:
  void SetUp() override {
    std::string error;
    db_ = edatest::TestDatabase::create(Driver::kDriver, &error);
    ASSERT_NE(db_, nullptr) << error;
    invalidSyncMap_ = env_.path("invalid-map.xml");
    edatest::writeFile(invalidSyncMap_, "<syncMap><element name=\"x\"></syncMap>");
  }
  int importWith(const std::string& syncMap, const std::string& library) {
    CODBCConOperation operation;
    return operation.importMetadataDB(db_->dsn(), db_->user(), db_->password(), wide(syncMap),
                                      wide(library), u"");
  }
  int exportWith(const std::string& library, const std::string& syncMap, int option,
                 const std::string& reference = "") {
    CODBCConOperation operation;
    return operation.exportMetadataDB(wide(library), db_->dsn(), db_->user(), db_->password(),
                                      wide(syncMap), option, wide(reference));
  }
  // A Resistors table whose CHECK refuses the four resistors made by Yageo: their INSERTs fail.
  bool createResistorsRefusingYageo() {
    const std::string identity = Driver::kDriver == edatest::OdbcDriver::kSqlite
                                     ? "INTEGER PRIMARY KEY AUTOINCREMENT"
                                     : "INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY";
    std::string error;
    const bool created = db_->execute(
        "CREATE TABLE \"Resistors\" (\"Resistors0\" " + identity +
            ", \"PartNumber\" VARCHAR(40), \"Manufacturer\" VARCHAR(80) CHECK (\"Manufacturer\" "
            "<> 'Yageo'))",
        &error);
    EXPECT_TRUE(created) << error;
    return created;
  }
  size_t tableCount() {
    CODBCConOperation operation;
    return operation.getTables(db_->dsn(), db_->user(), db_->password()).size();
  }

  std::unique_ptr<edatest::TestDatabase> db_;
  std::string invalidSyncMap_;
};
TYPED_TEST_SUITE(TransferFailureTest, Drivers, DriverNames);

TYPED_TEST(TransferFailureTest, BadSyncMapOrLibraryStopsBeforeTheDatabase) {
  const std::string out = this->env_.path("out.xml");
  const std::string missing = this->env_.path("missing.xml");
  for (const std::string& syncMap : {missing, this->invalidSyncMap_}) {
    SCOPED_TRACE(syncMap);
    EXPECT_EQ(this->exportWith(out, syncMap, 3), 0);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(this->importWith(syncMap, kSampleLibrary), 0);
  }
  EXPECT_EQ(this->importWith(kSampleSyncMap, missing), 0);
  EXPECT_EQ(this->importWith(kSampleSyncMap, this->invalidSyncMap_), 0);
  EXPECT_TRUE(contains(this->log("ERROR"), "Fail to load the EDASyncMap.xml file"));
  EXPECT_TRUE(contains(this->log("ERROR"), "Fail to load the edalib.xml file"));
  EXPECT_EQ(this->tableCount(), 0u);
}

TYPED_TEST(TransferFailureTest, WrongPasswordIsRefused) {
  if (TypeParam::kDriver == edatest::OdbcDriver::kSqlite) GTEST_SKIP() << "SQLite has no logins";
  const std::u16string& dsn = this->db_->dsn();
  const std::u16string& user = this->db_->user();
  CODBCConOperation operation;
  EXPECT_EQ(operation.checkDataSource(dsn, user, u"wrong"), 0);
  EXPECT_EQ(operation.importMetadataDB(dsn, user, u"wrong", wide(kSampleSyncMap),
                                       wide(kSampleLibrary), u""),
            0);
  const std::string out = this->env_.path("out.xml");
  EXPECT_EQ(
      operation.exportMetadataDB(wide(out), dsn, user, u"wrong", wide(kSampleSyncMap), 3, u""), 0);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_TRUE(operation.getTables(dsn, user, u"wrong").empty());
  EXPECT_TRUE(operation.getColumns(dsn, user, u"wrong", u"%").empty());
  // The files were fine; only the login failed, and the database was not touched.
  EXPECT_FALSE(contains(this->log("ERROR"), "Fail to load"));
  EXPECT_FALSE(this->log("ERROR").empty());
  EXPECT_EQ(this->tableCount(), 0u);
  EXPECT_EQ(operation.checkDataSource(dsn, user, this->db_->password()), 1);
}

// A row whose statement fails costs only itself: the others are written, but the import says it
// failed and how many rows it could not write.
TYPED_TEST(TransferFailureTest, FailingRowsAreCountedAndTheOthersWritten) {
  ASSERT_TRUE(this->createResistorsRefusingYageo());
  EXPECT_EQ(this->importWith(kSampleSyncMap, kSampleLibrary), 0);
  EXPECT_EQ(metalink::lastImportFailedRows(), 4);
  EXPECT_FALSE(this->log("ERROR").empty());
  EXPECT_NE(this->log("ERROR").back().find("4 rows could not be written"), std::string::npos);
  auto count = [&](const std::string& table) {
    const auto rows = this->db_->query("SELECT COUNT(*) FROM \"" + table + "\"");
    return rows.empty() || !rows.front().front() ? std::string("?") : *rows.front().front();
  };
  // Four resistors are made by Yageo; the other parts and objects went in.
  EXPECT_EQ(count("Resistors"), "1");
  EXPECT_EQ(count("Capacitors"), "3");
  EXPECT_EQ(count("ICs"), "5");
  EXPECT_EQ(count("Footprints"), "8");
  EXPECT_EQ(this->log("INFO ").back(), "End to import edalib.xml to part metadata database");
}

}  // namespace

namespace {

// A failed INSERT generated no key. Were the row to ask for one anyway, it would get the key of
// the insert before it, and its links would be written for that other row: every link of the
// table must come from a row that is there, and the one resistor that went in keeps exactly its
// own links.
TYPED_TEST(TransferFailureTest, AFailedInsertTakesNoOtherRowsIdentity) {
  ASSERT_TRUE(this->createResistorsRefusingYageo());
  EXPECT_EQ(this->importWith(kSampleSyncMap, kSampleLibrary), 0);
  const auto kept = this->db_->query("SELECT \"Resistors0\" FROM \"Resistors\"");
  ASSERT_EQ(kept.size(), 1u);
  ASSERT_TRUE(kept.front().front().has_value());
  const auto links = this->db_->query(
      "SELECT \"PrimaryID\", \"SecondaryTable\", \"SecondaryID\" FROM \"Relations\" WHERE "
      "\"PrimaryTable\" = 'Resistors'");
  for (const auto& link : links) {
    EXPECT_EQ(link[0], kept.front().front()) << "a link of a row that was never written";
  }
  // The Panasonic resistor's own links: its view and its symbol.
  EXPECT_EQ(links.size(), 2u);
}

}  // namespace
