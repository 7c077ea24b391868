// The drivers every ODBC test runs against: one set of test bodies, a thin type per driver.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "odbc_test_database.h"

struct SqliteDriver {
  static constexpr edatest::OdbcDriver kDriver = edatest::OdbcDriver::kSqlite;
};
struct PostgresDriver {
  static constexpr edatest::OdbcDriver kDriver = edatest::OdbcDriver::kPostgres;
};
using OdbcDrivers = ::testing::Types<SqliteDriver, PostgresDriver>;

// Test names end in /Sqlite or /Postgres; the build gives the latter the PostgreSQL fixture.
struct OdbcDriverNames {
  template <typename Driver>
  static std::string GetName(int) {
    return Driver::kDriver == edatest::OdbcDriver::kSqlite ? "Sqlite" : "Postgres";
  }
};
