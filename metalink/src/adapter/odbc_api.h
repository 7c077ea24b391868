// The one place where the adapter area meets the ODBC driver manager. Only the .cc files of this
// area (and the test and benchmark helpers that talk to databases directly) include it; the
// headers the rest of the connector includes carry no ODBC types.
//
// What lives here: the definition of success, the trace of every call (EDA_ODBC), the owners of
// the three handle kinds, and the reading of diagnostics into an odbc::Failure. How text crosses
// to and from the driver is decided in one place too: odbc::DriverText (odbc_text.h).
#pragma once

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <string>

#include "adapter/data_command.h"
#include "adapter/odbc_failure.h"

namespace odbc {

class DriverText;

// A return code counts as success exactly when it is SQL_SUCCESS or SQL_SUCCESS_WITH_INFO.
inline bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// Every ODBC call's return code passes through here (see EDA_ODBC): with the DEBUG level on, each
// call that did not succeed is traced with its function name, so a driver's behaviour can be
// followed without a debugger.
SQLRETURN checked(const char* function, SQLRETURN rc);

// The diagnostic records of a handle: SQLSTATE and native code of the first record, the messages
// of all of them. Read through `text` so that a driver's messages arrive whole; the default
// (wide) reading serves before a connection has decided.
Failure readFailure(SQLSMALLINT handleType, SQLHANDLE handle, const DriverText* text = nullptr);
// Logs a failure as one ERROR line: context (when given), SQLSTATE, native code, message.
void logFailure(const Failure& failure, const std::string& context = std::string());
// readFailure + logFailure; returns what was logged.
Failure logDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const DriverText* text = nullptr);

// Owns an environment handle (ODBC version 3). Null when allocation failed; logged then.
class EnvironmentHandle {
 public:
  EnvironmentHandle();
  ~EnvironmentHandle();
  EnvironmentHandle(const EnvironmentHandle&) = delete;
  EnvironmentHandle& operator=(const EnvironmentHandle&) = delete;

  bool valid() const { return handle_ != SQL_NULL_HENV; }
  SQLHENV get() const { return handle_; }

 private:
  SQLHENV handle_ = SQL_NULL_HENV;
};

// Owns a connection handle and, once connected, the connection: the destructor disconnects and
// frees. `environment` must outlive it.
class ConnectionHandle {
 public:
  explicit ConnectionHandle(const EnvironmentHandle& environment);
  ~ConnectionHandle();
  ConnectionHandle(const ConnectionHandle&) = delete;
  ConnectionHandle& operator=(const ConnectionHandle&) = delete;

  bool valid() const { return handle_ != SQL_NULL_HDBC; }
  SQLHDBC get() const { return handle_; }

  // SQLConnectW with a login time-out. False with *failure filled (and nothing logged).
  bool connect(const std::u16string& dataSource, const std::u16string& user,
               const std::u16string& password, SQLUINTEGER loginTimeoutSeconds, Failure* failure);
  // SQLDriverConnectW without prompting. False with *failure filled.
  bool driverConnect(const std::u16string& connectionString, Failure* failure);
  // The same with a login time-out.
  bool driverConnect(const std::u16string& connectionString, SQLUINTEGER loginTimeoutSeconds,
                     Failure* failure);
  bool connected() const { return connected_; }

 private:
  SQLHDBC handle_ = SQL_NULL_HDBC;
  bool connected_ = false;
};

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
  Failure failure(const DriverText* text = nullptr) const {
    return readFailure(SQL_HANDLE_STMT, handle_, text);
  }
  Failure logDiagnostics(const DriverText* text = nullptr) const {
    return odbc::logDiagnostics(SQL_HANDLE_STMT, handle_, text);
  }

 private:
  SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

// Replaces *rows by every row of the statement's result set (see odbc_fetch.cc for the binding
// table and the value texts); text columns are read through `text`. False when the result could
// not be described or a fetch failed; *failure (when given) says why.
bool fetchRows(SQLHSTMT statement, const DriverText& text,
               std::vector<CDataCommand::ResultRow>* rows, Failure* failure = nullptr);
// The same rows handed to `*sink` one by one as they are fetched. On false the sink has seen
// part of the result, which is no result: the caller drops what it built.
bool fetchRows(SQLHSTMT statement, const DriverText& text, CDataCommand::RowSink* sink,
               Failure* failure = nullptr);

}  // namespace odbc

#define EDA_ODBC(function, ...) ::odbc::checked(#function, function(__VA_ARGS__))
