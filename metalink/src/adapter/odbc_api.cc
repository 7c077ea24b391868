#include "adapter/odbc_api.h"

#include <string>

#include "util/message_logger.h"
#include "util/text_conversion.h"

namespace odbc {
namespace {
constexpr const char* kSource = "DataCommand";
}  // namespace

SQLRETURN checked(const char* function, SQLRETURN rc) {
  if (!succeeded(rc) && rc != SQL_NO_DATA && MessageLogger::debugEnabled) {
    MessageLogger::debug(kSource, std::string(function) + " returned " + std::to_string(rc));
  }
  return rc;
}

void logDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
  if (handle == SQL_NULL_HANDLE) return;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLWCHAR state[6] = {};
    SQLINTEGER nativeError = 0;
    SQLWCHAR message[512] = {};
    SQLSMALLINT length = 0;
    // Traced by hand: the diagnostics of a failing diagnostics call would recurse.
    const SQLRETURN rc =
        SQLGetDiagRecW(handleType, handle, record, state, &nativeError, message,
                       static_cast<SQLSMALLINT>(sizeof message / sizeof *message), &length);
    if (!succeeded(rc)) break;
    // One line per record: some drivers end or break their messages with newlines.
    std::string text = toUtf8(reinterpret_cast<const char16_t*>(message));
    for (char& c : text) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    MessageLogger::error(kSource, text);
  }
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
