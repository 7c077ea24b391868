// A sync map whose names the connected database cannot take is refused before anything is
// written, by the import and by the export, on SQLite and PostgreSQL.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "connector/odbc_con_operation.h"
#include "connector_environment.h"
#include "odbc_test_database.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

using edatest::OdbcDriver;

std::u16string wide(const std::string& text) { return platform::utf8ToUtf16(text); }

const std::string kSampleLibrary = EDA_SOURCE_DIR "/examples/EDALib.xml";

// A map of the sample's resistors with their value in `table`.`column`.
std::string mapWith(const std::string& table, const std::string& column) {
  return "<map><element name=\"Resistor\" type=\"Resistor\">"
         "<property name=\"itemId\" required=\"true\"><table name=\"Resistors\">"
         "<column name=\"PartNumber\"/></table></property>"
         "<property name=\"Resistance\"><table name=\"" +
         table + "\"><column name=\"" + column + "\"/></table></property></element></map>";
}

class SyncMapNamesTest : public ::testing::TestWithParam<OdbcDriver> {
 protected:
  void SetUp() override {
    std::string error;
    db_ = edatest::TestDatabase::create(GetParam(), &error);
    ASSERT_NE(db_, nullptr) << error;
  }

  // The tables the database holds besides its own catalogs.
  std::vector<std::string> userTables() {
    const std::string sql =
        GetParam() == OdbcDriver::kSqlite
            ? "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
              "ORDER BY name"
            : "SELECT table_name FROM information_schema.tables WHERE table_schema = 'public' "
              "ORDER BY table_name";
    std::vector<std::string> names;
    for (const auto& row : db_->query(sql)) names.push_back(row.at(0).value_or("<null>"));
    return names;
  }

  std::string lastError() const {
    const auto lines = edatest::ConnectorEnvironment::messages(env_.defaultLogPath(), "ERROR");
    return lines.empty() ? std::string() : lines.back();
  }

  edatest::ConnectorEnvironment env_;
  std::unique_ptr<edatest::TestDatabase> db_;
};

TEST_P(SyncMapNamesTest, RefusedBeforeAnythingIsWritten) {
  const std::string catalog = GetParam() == OdbcDriver::kSqlite ? "sqlite_master" : "pg_class";
  struct Case {
    std::string table;
    std::string column;
    std::string problem;
  } cases[] = {
      {"RELATIONS", "Resistance", "has the name of the link table Relations"},
      {"Resistors", "", "is mapped to a column without a name in the table \"Resistors\""},
      {"", "Resistance", "is mapped to a table without a name"},
      {catalog, "Resistance",
       "\"" + catalog +
           "\" of the property \"Resistance\" of the element "
           "\"Resistor\" is reserved: "},
  };
  for (const Case& c : cases) {
    const std::string syncMap = env_.path("EDASyncMap.xml");
    edatest::writeFile(syncMap, mapWith(c.table, c.column));

    CODBCConOperation importer;
    EXPECT_EQ(importer.importMetadataDB(db_->dsn(), db_->user(), db_->password(), wide(syncMap),
                                        wide(kSampleLibrary), u""),
              0)
        << c.table;
    EXPECT_EQ(lastError().rfind("The sync map cannot be used: ", 0), 0u) << lastError();
    EXPECT_NE(lastError().find(c.problem), std::string::npos) << lastError();
    EXPECT_EQ(userTables(), std::vector<std::string>{}) << c.table;

    const std::string library = env_.path("EDALib.xml");
    CODBCConOperation exporter;
    EXPECT_EQ(exporter.exportMetadataDB(wide(library), db_->dsn(), db_->user(), db_->password(),
                                        wide(syncMap), 3, u""),
              0)
        << c.table;
    EXPECT_NE(lastError().find(c.problem), std::string::npos) << lastError();
    EXPECT_FALSE(std::filesystem::exists(library)) << c.table;
    EXPECT_EQ(userTables(), std::vector<std::string>{}) << c.table;
  }

  // The same map with sound names imports.
  const std::string syncMap = env_.path("EDASyncMap.xml");
  edatest::writeFile(syncMap, mapWith("Resistors", "Resistance"));
  CODBCConOperation importer;
  EXPECT_EQ(importer.importMetadataDB(db_->dsn(), db_->user(), db_->password(), wide(syncMap),
                                      wide(kSampleLibrary), u""),
            1);
  EXPECT_EQ(userTables(), (std::vector<std::string>{"Relations", "Resistors"}));
}

INSTANTIATE_TEST_SUITE_P(Drivers, SyncMapNamesTest,
                         ::testing::Values(OdbcDriver::kSqlite, OdbcDriver::kPostgres),
                         [](const ::testing::TestParamInfo<OdbcDriver>& info) {
                           return std::string(info.param == OdbcDriver::kSqlite ? "Sqlite"
                                                                                : "Postgres");
                         });

}  // namespace
