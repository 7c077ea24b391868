// The import's schema check on real drivers: the structure it leaves equals what the checks of
// one table at a time leave, a repeated check changes nothing, and a check that fails half-way is
// rolled back whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "adapter/odbc_adapter.h"
#include "odbc_fixture.h"
#include "platform/text.h"

namespace {

using Rows = std::vector<edatest::TestDatabase::Row>;

// Everything the check may change, as text rows: tables with their columns (type, size,
// identity, default), keys and indexes.
Rows describeSchema(edatest::TestDatabase* db) {
  std::string error;
  Rows schema;
  if (db->driver() == edatest::OdbcDriver::kSqlite) {
    // The CREATE texts hold every column with its type, key and AUTOINCREMENT.
    schema = db->query(
        "SELECT type, name, tbl_name, sql FROM sqlite_master WHERE name NOT LIKE 'sqlite_%' "
        "ORDER BY type, name",
        &error);
  } else {
    schema = db->query(
        "SELECT table_name, column_name, ordinal_position, data_type, character_maximum_length, "
        "is_identity, column_default FROM information_schema.columns WHERE table_schema = "
        "'public' ORDER BY table_name, ordinal_position",
        &error);
    for (const char* query :
         {"SELECT tablename, indexname, indexdef FROM pg_indexes WHERE schemaname = 'public' "
          "ORDER BY indexname",
          "SELECT table_name, constraint_name, constraint_type FROM "
          "information_schema.table_constraints WHERE table_schema = 'public' AND "
          "constraint_type IN ('PRIMARY KEY', 'UNIQUE') ORDER BY constraint_name"}) {
      const Rows more = db->query(query, &error);
      schema.insert(schema.end(), more.begin(), more.end());
    }
  }
  EXPECT_TRUE(error.empty()) << error;
  return schema;
}

std::string text(const Rows& rows) {
  std::string out;
  for (const auto& row : rows) {
    for (const auto& cell : row) out += (cell ? *cell : "NULL") + " | ";
    out += "\n";
  }
  return out;
}

// Tables that exist before the check: one without key or identity, one with a key but no
// identity (with a row, which the identity rebuild must keep), one complete but for a column.
void existingTables(edatest::TestDatabase* db, const std::string& identityType) {
  for (const std::string& sql :
       {std::string("CREATE TABLE \"Loose\" (\"Name\" VARCHAR(255), \"Extra\" VARCHAR(255))"),
        std::string("CREATE TABLE \"Keyed\" (\"Code\" VARCHAR(50) PRIMARY KEY, \"Name\" "
                    "VARCHAR(255))"),
        std::string("INSERT INTO \"Keyed\" VALUES ('c1', 'first')"),
        "CREATE TABLE \"Done\" (\"Done0\" " + identityType + ", \"name\" VARCHAR(255))"}) {
    std::string error;
    ASSERT_TRUE(db->execute(sql, &error)) << sql << ": " << error;
  }
}

const CODBCAdapter::MappedColumns kMap = {
    {u"Loose", {u"Name", u"Added"}},
    {u"Keyed", {u"Code", u"Name", u"More"}},
    {u"Done", {u"NAME", u"Added"}},
    {u"Fresh", {u"A", u"B", u"C"}},
};
const CODBCAdapter::MappedColumns kLookups = {{u"Fresh", {u"A"}}, {u"Keyed", {u"Code"}}};

template <typename Driver>
class SchemaCheckTest : public OdbcAdapterFixture<Driver> {
 protected:
  // The check as the import runs it: inside the import's transaction, committed when it passed.
  bool check(const CODBCAdapter::MappedColumns& map, const CODBCAdapter::MappedColumns& lookups) {
    if (!this->adapter_->beginImport()) return false;
    const bool checked = this->adapter_->ensureSchema(map, lookups);
    return this->adapter_->endImport(checked) && checked;
  }
  std::vector<std::string> statementsLogged(const char* verb) {
    std::vector<std::string> found;
    for (const std::string& line : this->log_.messages("INFO ")) {
      if (line.find(verb) != std::string::npos) found.push_back(line);
    }
    return found;
  }
};
TYPED_TEST_SUITE(SchemaCheckTest, OdbcDrivers, OdbcDriverNames);

TYPED_TEST(SchemaCheckTest, LeavesWhatTheChecksOfOneTableAtATimeLeave) {
  existingTables(this->db_.get(), this->identityType());
  ASSERT_TRUE(this->check(kMap, kLookups))
      << ::testing::PrintToString(this->log_.messages("ERROR"));

  std::string error;
  auto reference = edatest::TestDatabase::create(TypeParam::kDriver, &error);
  ASSERT_NE(reference, nullptr) << error;
  existingTables(reference.get(), this->identityType());
  CODBCCommand command;
  ASSERT_TRUE(command.connect(reference->dsn(), reference->user(), reference->password()));
  {
    CODBCAdapter adapter(&command);
    for (const auto& [table, columns] : kMap) {
      adapter.ensureTable(table, columns, /*withIdentity=*/true);
      adapter.ensureIdentityColumn(table);
    }
    adapter.ensureRelationsTable();
    for (const auto& [table, columns] : kLookups) adapter.ensureLookupIndex(table, columns);
    adapter.ensureLookupIndex(u"Relations", {u"PrimaryTable", u"PrimaryID"});
  }
  command.disconnect();

  const Rows checked = describeSchema(this->db_.get());
  EXPECT_EQ(text(checked), text(describeSchema(reference.get())));
  EXPECT_GT(checked.size(), 7u) << text(checked);
  // The rebuild for the identity kept the row.
  EXPECT_EQ(this->rows("SELECT \"Code\", \"Name\", \"Keyed0\" FROM \"Keyed\""),
            Rows({{std::string("c1"), std::string("first"), std::string("1")}}));
}

TYPED_TEST(SchemaCheckTest, SecondCheckChangesNothing) {
  ASSERT_TRUE(this->check(kMap, kLookups));
  const Rows first = describeSchema(this->db_.get());
  this->log_.clear();
  ASSERT_TRUE(this->check(kMap, kLookups))
      << ::testing::PrintToString(this->log_.messages("ERROR"));
  EXPECT_EQ(this->statementsLogged("CREATE "), std::vector<std::string>());
  EXPECT_EQ(this->statementsLogged("ALTER "), std::vector<std::string>());
  EXPECT_EQ(text(describeSchema(this->db_.get())), text(first));
}

// SQLite matches table names ignoring case, PostgreSQL keeps quoted names apart.
TYPED_TEST(SchemaCheckTest, TableNamesMatchAsTheDatabaseMatchesThem) {
  existingTables(this->db_.get(), this->identityType());
  this->log_.clear();
  ASSERT_TRUE(this->check({{u"LOOSE", {u"name", u"Extra"}}}, {}));
  const std::vector<std::string> created = this->statementsLogged("CREATE TABLE \"LOOSE\"");
  EXPECT_EQ(created.size(), this->isSqlite() ? 0u : 1u) << ::testing::PrintToString(created);
  EXPECT_EQ(this->rows("SELECT COUNT(*) FROM \"Loose\""), Rows({{std::string("0")}}));
}

TYPED_TEST(SchemaCheckTest, FailureHalfWayIsReportedAndRolledBack) {
  existingTables(this->db_.get(), this->identityType());
  const Rows before = describeSchema(this->db_.get());
  // A view holds the name of a mapped table: creating that table fails, after others changed.
  this->sql("CREATE VIEW \"Busy\" AS SELECT 1 AS \"x\"");
  const Rows withView = describeSchema(this->db_.get());
  const CODBCAdapter::MappedColumns map = {
      {u"Loose", {u"Name", u"Added"}}, {u"First", {u"A"}}, {u"Busy", {u"A"}}, {u"Last", {u"A"}}};
  EXPECT_FALSE(this->check(map, {}));
  bool named = false;
  for (const std::string& line : this->log_.messages("ERROR")) {
    named = named || line.find("Busy") != std::string::npos;
  }
  EXPECT_TRUE(named) << ::testing::PrintToString(this->log_.messages("ERROR"));
  EXPECT_EQ(text(describeSchema(this->db_.get())), text(withView));
  EXPECT_TRUE(this->statementsLogged("\"Last\"").empty());
  EXPECT_NE(before.size(), 0u);
}

// Thousands of new tables, each with its identity, key and lookup index: more locks than one
// PostgreSQL transaction may hold with the server's default settings. The check goes through,
// leaves every table, and a second check finds nothing to change.
TYPED_TEST(SchemaCheckTest, AMapOfThousandsOfTablesIsChecked) {
  constexpr int kTables = 2500;
  CODBCAdapter::MappedColumns map;
  CODBCAdapter::MappedColumns lookups;
  for (int t = 0; t < kTables; ++t) {
    const std::u16string name = platform::utf8ToUtf16("Many" + std::to_string(t));
    map.push_back({name, {u"Code", u"Name"}});
    lookups.push_back({name, {u"Code"}});
  }
  ASSERT_TRUE(this->check(map, lookups)) << ::testing::PrintToString(this->log_.messages("ERROR"));
  std::string error;
  const Rows count = this->db_->query(
      this->db_->driver() == edatest::OdbcDriver::kSqlite
          ? "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name LIKE 'Many%'"
          : "SELECT COUNT(*) FROM information_schema.tables WHERE table_name LIKE 'Many%'",
      &error);
  ASSERT_TRUE(error.empty()) << error;
  ASSERT_EQ(count.size(), 1u);
  EXPECT_EQ(count[0][0].value_or(""), std::to_string(kTables));
  if (this->db_->driver() == edatest::OdbcDriver::kPostgres) {
    // The import's lock outlives the commits of the parts, and not the import. Tests beside
    // this one lock their own databases on the same server.
    const Rows locks = this->db_->query(
        "SELECT COUNT(*) FROM pg_locks WHERE locktype = 'advisory' AND database = "
        "(SELECT oid FROM pg_database WHERE datname = current_database())",
        &error);
    ASSERT_EQ(locks.size(), 1u) << error;
    EXPECT_EQ(locks[0][0].value_or(""), "0");
  }
  this->log_.clear();
  EXPECT_TRUE(this->check(map, lookups));
  EXPECT_EQ(this->statementsLogged("CREATE "), std::vector<std::string>());
}

}  // namespace
