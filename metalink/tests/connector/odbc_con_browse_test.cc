// The three lists: data sources, tables and columns.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "connector/odbc_con_operation.h"
#include "connector_fixture.h"
#include "odbc_drivers.h"
#include "odbc_test_database.h"

namespace {

using Drivers = OdbcDrivers;
using DriverNames = OdbcDriverNames;

using Names = std::vector<std::u16string>;

bool has(const Names& names, const std::u16string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

template <typename Driver>
class BrowseTest : public edatest::ConnectorTest<Driver> {
 protected:
  void SetUp() override {
    edatest::ConnectorTest<Driver>::SetUp();
    for (const char* statement : {"CREATE TABLE \"PART_1\" (\"A\" VARCHAR(10), \"B\" VARCHAR(10))",
                                  "CREATE TABLE \"PARTX1\" (\"C\" VARCHAR(10))",
                                  "CREATE TABLE \"Other\" (\"D\" VARCHAR(10))",
                                  "CREATE VIEW \"PartView\" AS SELECT \"A\" FROM \"PART_1\""}) {
      this->sql(statement);
    }
  }
  Names tables() {
    return CODBCConOperation().getTables(this->db_->dsn(), this->db_->user(),
                                         this->db_->password());
  }
  Names columns(const std::u16string& table) {
    return CODBCConOperation().getColumns(this->db_->dsn(), this->db_->user(),
                                          this->db_->password(), table);
  }
};
TYPED_TEST_SUITE(BrowseTest, Drivers, DriverNames);

TYPED_TEST(BrowseTest, DataSourcesNeedNoConnection) {
  const Names sources = CODBCConOperation().getDataSources();
  EXPECT_TRUE(has(sources, this->db_->dsn()));
}

TYPED_TEST(BrowseTest, TablesListsTablesButNotViews) {
  const Names names = this->tables();
  EXPECT_TRUE(has(names, u"PART_1"));
  EXPECT_TRUE(has(names, u"PARTX1"));
  EXPECT_TRUE(has(names, u"Other"));
  EXPECT_FALSE(has(names, u"PartView"));
}

TYPED_TEST(BrowseTest, ColumnsTakeTheTableNameAsPattern) {
  EXPECT_EQ(this->columns(u"Other"), Names{u"D"});
  // "_" matches any one character, so PARTX1 answers too.
  Names both = this->columns(u"PART_1");
  std::sort(both.begin(), both.end());
  EXPECT_EQ(both, (Names{u"A", u"B", u"C"}));
  Names all = this->columns(u"P%");
  EXPECT_TRUE(has(all, u"A") && has(all, u"C"));
  EXPECT_TRUE(this->columns(u"NoSuchTable").empty());
  EXPECT_TRUE(this->errors().empty());
}

TYPED_TEST(BrowseTest, RefusedConnectionGivesEmptyLists) {
  CODBCConOperation operation;
  const std::u16string unknown = u"NoSuchDsn";
  EXPECT_TRUE(operation.getTables(unknown, this->db_->user(), this->db_->password()).empty());
  EXPECT_TRUE(
      operation.getColumns(unknown, this->db_->user(), this->db_->password(), u"Other").empty());
  EXPECT_FALSE(this->errors().empty());
}

}  // namespace
