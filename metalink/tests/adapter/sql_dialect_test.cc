#include "adapter/sql_dialect.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SqlDialectReservedTest, CatalogNamesOfEachDatabase) {
  const SqlDialect sqlite(SqlDialect::Kind::kSqlite);
  const SqlDialect postgres(SqlDialect::Kind::kPostgres);
  const SqlDialect other;
  struct Case {
    const SqlDialect* dialect;
    std::u16string table;
    bool reserved;
  } cases[] = {
      {&sqlite, u"sqlite_master", true},
      {&sqlite, u"SQLITE_sequence", true},
      {&sqlite, u"sqlite", false},
      {&sqlite, u"pg_class", false},
      {&postgres, u"pg_class", true},
      {&postgres, u"PG_Tables", true},
      {&postgres, u"information_schema", true},
      {&postgres, u"pgparts", false},
      {&postgres, u"sqlite_master", false},
      {&other, u"sqlite_master", false},
      {&other, u"pg_class", false},
      {&sqlite, u"", false},
  };
  for (const Case& c : cases) {
    const std::string reason = c.dialect->reservedTableReason(c.table);
    EXPECT_EQ(!reason.empty(), c.reserved)
        << std::string(c.table.begin(), c.table.end()) << ": " << reason;
  }
  EXPECT_EQ(sqlite.reservedTableReason(u"sqlite_master"),
            "SQLite keeps the names that begin with sqlite_");
}

}  // namespace
