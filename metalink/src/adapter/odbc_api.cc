#include "adapter/odbc_api.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "adapter/odbc_text.h"
#include "platform/text.h"
#include "util/message_logger.h"

namespace odbc {
namespace {
constexpr const char* kSource = "DataCommand";

// Some drivers end or break their messages with newlines; a log line stays one line.
std::string oneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

SQLRETURN checked(const char* function, SQLRETURN rc) {
  if (!succeeded(rc) && rc != SQL_NO_DATA && MessageLogger::debugEnabled()) {
    MessageLogger::debug(kSource, std::string(function) + " returned " + std::to_string(rc));
  }
  return rc;
}

Failure readFailure(SQLSMALLINT handleType, SQLHANDLE handle, const DriverText* text) {
  Failure failure;
  if (handle == SQL_NULL_HANDLE) return failure;
  const DriverText wideText;
  const DriverText& reader = text != nullptr ? *text : wideText;
  for (SQLSMALLINT record = 1;; ++record) {
    std::string state;
    SQLINTEGER native = 0;
    std::string message;
    if (!reader.diagnosticRecord(handleType, handle, record, &state, &native, &message)) break;
    if (record == 1) {
      failure.sqlState = state;
      failure.nativeCode = static_cast<int32_t>(native);
    }
    if (!failure.message.empty()) failure.message += "; ";
    failure.message += oneLine(message);
  }
  return failure;
}

void logFailure(const Failure& failure, const std::string& context) {
  if (!MessageLogger::errorEnabled()) return;
  MessageLogger::error(kSource,
                       (context.empty() ? std::string() : context + ": ") + failure.describe());
}

Failure logDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const DriverText* text) {
  Failure failure = readFailure(handleType, handle, text);
  if (!failure.empty()) logFailure(failure);
  return failure;
}

EnvironmentHandle::EnvironmentHandle() {
  if (!succeeded(EDA_ODBC(SQLAllocHandle, SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle_))) {
    // An environment that failed to allocate has no diagnostics of its own worth more than this.
    if (MessageLogger::errorEnabled()) {
      MessageLogger::error(kSource, "The ODBC environment cannot be allocated");
    }
    handle_ = SQL_NULL_HENV;
    return;
  }
  if (!succeeded(EDA_ODBC(SQLSetEnvAttr, handle_, SQL_ATTR_ODBC_VERSION,
                          reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0))) {
    logDiagnostics(SQL_HANDLE_ENV, handle_);
  }
}

EnvironmentHandle::~EnvironmentHandle() {
  if (handle_ != SQL_NULL_HENV) EDA_ODBC(SQLFreeHandle, SQL_HANDLE_ENV, handle_);
}

ConnectionHandle::ConnectionHandle(const EnvironmentHandle& environment) {
  if (!environment.valid()) return;
  if (!succeeded(EDA_ODBC(SQLAllocHandle, SQL_HANDLE_DBC, environment.get(), &handle_))) {
    logDiagnostics(SQL_HANDLE_ENV, environment.get());
    handle_ = SQL_NULL_HDBC;
  }
}

ConnectionHandle::~ConnectionHandle() {
  if (handle_ == SQL_NULL_HDBC) return;
  if (connected_) EDA_ODBC(SQLDisconnect, handle_);
  EDA_ODBC(SQLFreeHandle, SQL_HANDLE_DBC, handle_);
}

bool ConnectionHandle::connect(const std::u16string& dataSource, const std::u16string& user,
                               const std::u16string& password, SQLUINTEGER loginTimeoutSeconds,
                               Failure* failure) {
  if (handle_ == SQL_NULL_HDBC || connected_) return false;
  EDA_ODBC(SQLSetConnectAttrW, handle_, SQL_ATTR_LOGIN_TIMEOUT,
           reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(loginTimeoutSeconds)), 0);
  auto text = [](const std::u16string& s) {
    return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(s.c_str()));
  };
  const SQLRETURN rc =
      EDA_ODBC(SQLConnectW, handle_, text(dataSource), static_cast<SQLSMALLINT>(dataSource.size()),
               text(user), static_cast<SQLSMALLINT>(user.size()), text(password),
               static_cast<SQLSMALLINT>(password.size()));
  connected_ = succeeded(rc);
  if (!connected_) *failure = readFailure(SQL_HANDLE_DBC, handle_);
  return connected_;
}

bool ConnectionHandle::driverConnect(const std::u16string& connectionString, Failure* failure) {
  if (handle_ == SQL_NULL_HDBC || connected_) return false;
  // unixODBC converts a wide connection string for a narrow driver (the SQLite driver) before
  // it knows the character set, cutting every character to its low byte: a file named in it
  // would be opened, or created, under a wrong name. A string with characters beyond ASCII goes
  // to the narrow entry point first, in UTF-8, which a narrow driver takes as it is; when that
  // fails (a wide driver receives such text widened byte by byte) the wide one is tried.
  const bool ascii = std::all_of(connectionString.begin(), connectionString.end(),
                                 [](char16_t c) { return c < 0x80; });
  SQLRETURN rc = SQL_ERROR;
  if (!ascii) {
    std::string narrow = platform::utf16ToUtf8(connectionString);
    rc =
        EDA_ODBC(SQLDriverConnect, handle_, nullptr, reinterpret_cast<SQLCHAR*>(narrow.data()),
                 static_cast<SQLSMALLINT>(narrow.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
  }
  if (!succeeded(rc)) {
    SQLWCHAR out[1024] = {};
    SQLSMALLINT outLength = 0;
    rc = EDA_ODBC(SQLDriverConnectW, handle_, nullptr,
                  reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(connectionString.c_str())),
                  static_cast<SQLSMALLINT>(connectionString.size()), out, 1023, &outLength,
                  SQL_DRIVER_NOPROMPT);
  }
  connected_ = succeeded(rc);
  if (!connected_) *failure = readFailure(SQL_HANDLE_DBC, handle_);
  return connected_;
}

bool ConnectionHandle::driverConnect(const std::u16string& connectionString,
                                     SQLUINTEGER loginTimeoutSeconds, Failure* failure) {
  if (handle_ == SQL_NULL_HDBC || connected_) return false;
  EDA_ODBC(SQLSetConnectAttrW, handle_, SQL_ATTR_LOGIN_TIMEOUT,
           reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(loginTimeoutSeconds)), 0);
  return driverConnect(connectionString, failure);
}

StatementHandle::StatementHandle(SQLHDBC connection) {
  if (connection == SQL_NULL_HDBC) return;
  if (!succeeded(EDA_ODBC(SQLAllocHandle, SQL_HANDLE_STMT, connection, &handle_))) {
    handle_ = SQL_NULL_HSTMT;
    odbc::logDiagnostics(SQL_HANDLE_DBC, connection);
  }
}

StatementHandle::~StatementHandle() {
  if (handle_ != SQL_NULL_HSTMT) EDA_ODBC(SQLFreeHandle, SQL_HANDLE_STMT, handle_);
}

}  // namespace odbc
