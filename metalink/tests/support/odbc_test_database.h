// Fresh databases for tests that talk to real ODBC drivers.
//
// Each TestDatabase is a new, empty database with a DSN of its own in a private odbc.ini of the
// test process (ODBCINI and ODBCSYSINI are pointed at it before main, as unixODBC does not notice
// later changes reliably; up to 16 databases per driver and process):
// - SQLite: a database file in a temporary directory, through the SQLite3 ODBC driver;
// - PostgreSQL: a database created on the test server (CREATE DATABASE) and dropped again by the
//   destructor. The server is found through the DSN "EdaTestPostgres" of the odbc.ini that
//   ODBCINI names when the process starts; the CTest fixture "postgres" writes it (see
//   scripts/pg-test-server.sh).
//
// The database also offers a connection of its own (execute, query) so that tests can set up and
// check data without going through the code under test.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace edatest {

enum class OdbcDriver { kSqlite, kPostgres };

const char* driverName(OdbcDriver driver);

class TestDatabase {
 public:
  using Row = std::vector<std::optional<std::string>>;

  // Null, with the reason in *error, when the database cannot be made.
  static std::unique_ptr<TestDatabase> create(OdbcDriver driver, std::string* error);
  ~TestDatabase();
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;

  OdbcDriver driver() const { return driver_; }
  // The DSN and the credentials to pass to SQLConnect (the DSN holds no password).
  const std::u16string& dsn() const { return dsn_; }
  const std::u16string& user() const { return user_; }
  const std::u16string& password() const { return password_; }

  // Runs SQL (UTF-8) on the database's own connection. False with the driver's message in *error.
  bool execute(const std::string& sql, std::string* error = nullptr);
  // The rows of a query as UTF-8 text; NULL is std::nullopt. Empty on failure (see *error).
  std::vector<Row> query(const std::string& sql, std::string* error = nullptr);

 private:
  struct Connection;
  TestDatabase() = default;
  Connection* connection(std::string* error);

  OdbcDriver driver_ = OdbcDriver::kSqlite;
  std::u16string dsn_;
  std::u16string user_;
  std::u16string password_;
  std::string serverDatabase_;  // PostgreSQL: the database to drop
  std::unique_ptr<Connection> connection_;
};

}  // namespace edatest
