// The one place where the adapter area meets the ODBC driver manager. Only the .cc files of this
// area include it; the headers the rest of the connector includes carry no ODBC types.
#pragma once

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <string>

#include "adapter/data_command.h"

namespace odbc {

// A return code counts as success exactly when it is SQL_SUCCESS or SQL_SUCCESS_WITH_INFO.
inline bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// Every ODBC call's return code passes through here (see EDA_ODBC): with the DEBUG level on, each
// call that did not succeed is traced with its function name, so a driver's behaviour can be
// followed without a debugger.
SQLRETURN checked(const char* function, SQLRETURN rc);

// Writes every diagnostic record of the handle to the log, one ERROR line each.
void logDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// On unixODBC SQLWCHAR is two bytes, the same as char16_t.
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "SQLWCHAR must be UTF-16");
inline SQLWCHAR* sqlText(const std::u16string& text) {
  return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(text.c_str()));
}
// Texts go to the driver with their length in UTF-16 units.
inline SQLINTEGER sqlLength(const std::u16string& text) {
  return static_cast<SQLINTEGER>(text.size());
}
inline SQLSMALLINT sqlShortLength(const std::u16string& text) {
  return static_cast<SQLSMALLINT>(text.size());
}

// Owns one statement handle on a connection. The handle is null when allocation failed; the
// connection's diagnostics have been logged then.
class StatementHandle {
 public:
  explicit StatementHandle(SQLHDBC connection);
  ~StatementHandle();
  StatementHandle(const StatementHandle&) = delete;
  StatementHandle& operator=(const StatementHandle&) = delete;

  bool valid() const { return handle_ != SQL_NULL_HSTMT; }
  SQLHSTMT get() const { return handle_; }
  void logDiagnostics() const { odbc::logDiagnostics(SQL_HANDLE_STMT, handle_); }

 private:
  SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

// Replaces *rows by every row of the statement's result set (see odbc_fetch.cc for the binding
// table and the value texts). False when the result could not be described; *rows is empty then.
bool fetchRows(SQLHSTMT statement, std::vector<CDataCommand::ResultRow>* rows);

}  // namespace odbc

#define EDA_ODBC(function, ...) ::odbc::checked(#function, function(__VA_ARGS__))
