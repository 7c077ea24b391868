// The connector's transfers against real databases: its import and export of the sample files
// into a given database, and a typed fixture that gives each test a fresh database of one driver
// and a private connector environment.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "connector/odbc_con_operation.h"
#include "connector_environment.h"
#include "odbc_drivers.h"
#include "odbc_test_database.h"
#include "platform/text.h"

namespace edatest {

inline const std::string kSampleLibrary = EDA_SOURCE_DIR "/examples/EDALib.xml";
inline const std::string kSampleSyncMap = EDA_SOURCE_DIR "/examples/EDASyncMap.xml";

inline std::u16string wide(const std::string& text) { return platform::utf8ToUtf16(text); }

// A fresh, empty database of `driver`; null, with a test failure, when none can be made.
inline std::unique_ptr<TestDatabase> newDatabase(OdbcDriver driver) {
  std::string error;
  auto db = TestDatabase::create(driver, &error);
  EXPECT_NE(db, nullptr) << error;
  return db;
}

// The connector's import of `library` into `db` as `syncMap` directs, logging to `logFile` when
// one is given; its result (1 on success).
inline int importInto(const TestDatabase& db, const std::string& library = kSampleLibrary,
                      const std::string& syncMap = kSampleSyncMap,
                      const std::string& logFile = "") {
  CODBCConOperation operation;
  return operation.importMetadataDB(db.dsn(), db.user(), db.password(), wide(syncMap),
                                    wide(library), wide(logFile));
}

// The connector's export of `db` into `library` with this option (and reference library); its
// result (1 on success).
inline int exportFrom(const TestDatabase& db, const std::string& library, int option = 3,
                      const std::string& reference = "",
                      const std::string& syncMap = kSampleSyncMap) {
  CODBCConOperation operation;
  return operation.exportMetadataDB(wide(library), db.dsn(), db.user(), db.password(),
                                    wide(syncMap), option, wide(reference));
}

template <typename Driver>
class ConnectorTest : public ::testing::Test {
 protected:
  static bool isSqlite() { return Driver::kDriver == OdbcDriver::kSqlite; }

  void SetUp() override {
    db_ = newDatabase(Driver::kDriver);
    ASSERT_NE(db_, nullptr);
  }

  int importLibrary(const std::string& library = kSampleLibrary,
                    const std::string& syncMap = kSampleSyncMap, const std::string& logFile = "") {
    return importInto(*db_, library, syncMap, logFile);
  }
  int exportLibrary(const std::string& library, int option = 3, const std::string& reference = "",
                    const std::string& syncMap = kSampleSyncMap) {
    return exportFrom(*db_, library, option, reference, syncMap);
  }

  // Runs set-up SQL on the database's own connection.
  void sql(const std::string& text) {
    std::string error;
    ASSERT_TRUE(db_->execute(text, &error)) << text << ": " << error;
  }
  // The first cell of the query's result; "<null>" when there is none or it is NULL.
  std::string scalar(const std::string& text) {
    std::string error;
    const auto rows = db_->query(text, &error);
    EXPECT_TRUE(error.empty()) << text << ": " << error;
    if (rows.empty() || rows.front().empty() || !rows.front().front()) return "<null>";
    return *rows.front().front();
  }
  // How many tables the connector lists in the database.
  size_t tableCount() {
    CODBCConOperation operation;
    return operation.getTables(db_->dsn(), db_->user(), db_->password()).size();
  }
  // The messages of the default log's lines with this tag (see ConnectorEnvironment::messages).
  std::vector<std::string> logMessages(const std::string& tag) const {
    return ConnectorEnvironment::messages(env_.defaultLogPath(), tag);
  }
  std::vector<std::string> errors() const { return logMessages("ERROR"); }

  ConnectorEnvironment env_;
  std::unique_ptr<TestDatabase> db_;
};

}  // namespace edatest
