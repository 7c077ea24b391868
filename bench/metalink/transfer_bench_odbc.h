// A small ODBC connection of the transfer benchmark's own, for the bulk-load baseline and for
// counting what an operation left in the database; it does not go through the code measured.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "adapter/odbc_api.h"
#include "adapter/odbc_text.h"

namespace transfer_bench {

class BenchConnection {
 public:
  BenchConnection() = default;
  ~BenchConnection();
  BenchConnection(const BenchConnection&) = delete;
  BenchConnection& operator=(const BenchConnection&) = delete;

  // Connects to a DSN with these credentials (UTF-8). False with the driver's message in *error.
  bool open(const std::string& dsn, const std::string& user, const std::string& password,
            std::string* error);
  // The DBMS name the driver reports ("SQLite", "PostgreSQL").
  std::string dbmsName();

  bool execute(const std::string& sql, std::string* error);
  // The rows of a query as text (NULL as an empty text); false on failure.
  bool query(const std::string& sql, std::vector<std::vector<std::string>>* rows,
             std::string* error);
  // The first value of the first row as a number; -1 on failure.
  long long queryNumber(const std::string& sql, std::string* error);

  bool setAutoCommit(bool on, std::string* error);
  bool commit(std::string* error);
  void rollback();

  SQLHDBC handle() const { return connection_ != nullptr ? connection_->get() : SQL_NULL_HDBC; }
  const odbc::DriverText& text() const { return text_; }

 private:
  odbc::EnvironmentHandle environment_;
  std::unique_ptr<odbc::ConnectionHandle> connection_;
  odbc::DriverText text_;
};

// One INSERT prepared once and executed per row, its parameters bound once to fixed buffers
// (text of at most kMaxValueBytes bytes each).
class PreparedInsert {
 public:
  static constexpr size_t kMaxValueBytes = 255;

  PreparedInsert() = default;
  ~PreparedInsert();
  PreparedInsert(const PreparedInsert&) = delete;
  PreparedInsert& operator=(const PreparedInsert&) = delete;

  // INSERT INTO "table"("c1",...) VALUES(?,...) on the connection.
  bool prepare(BenchConnection* connection, const std::string& table,
               const std::vector<std::string>& columns, std::string* error);
  // Executes with one value per column; a longer value is an error.
  bool run(const std::vector<std::string>& values, std::string* error);

 private:
  struct Parameter {
    char text[kMaxValueBytes + 1];
    SQLLEN length;
  };
  std::unique_ptr<odbc::StatementHandle> stmt_;
  const odbc::DriverText* text_ = nullptr;
  std::vector<Parameter> parameters_;
};

// The driver's diagnostics of a handle: SQLSTATE, native code and the messages.
std::string odbcDiagnostics(SQLSMALLINT type, SQLHANDLE handle,
                            const odbc::DriverText* text = nullptr);
// "name" quoted for SQL.
std::string quoted(const std::string& name);

}  // namespace transfer_bench
