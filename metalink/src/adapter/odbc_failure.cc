#include "adapter/odbc_failure.h"

namespace odbc {
namespace {

bool contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

Failure::Kind Failure::kind() const {
  if (empty()) return Kind::kNone;
  // Class 08 is the connection exception class of every driver.
  if (sqlState.compare(0, 2, "08") == 0) return Kind::kConnectionLost;
  // PostgreSQL: read_only_sql_transaction. The SQLite driver reports every engine error as
  // HY000, so its texts decide ("attempt to write a readonly database").
  if (sqlState == "25006" || contains(message, "readonly database")) {
    return Kind::kReadOnly;
  }
  // PostgreSQL: lock_not_available (lock_timeout); SQLite: SQLITE_BUSY once its busy timeout
  // ran out, SQLITE_LOCKED.
  if (sqlState == "55P03" || contains(message, "database is locked") ||
      contains(message, "database table is locked")) {
    return Kind::kLockTimeout;
  }
  // psqlodbc reports a server that went away with HY000 and these texts.
  if (contains(message, "server closed the connection") || contains(message, "no connection") ||
      contains(message, "Could not send Query") || contains(message, "could not receive data") ||
      sqlState == "57P01" || sqlState == "57P02" || sqlState == "57P03") {
    return Kind::kConnectionLost;
  }
  return Kind::kStatement;
}

bool Failure::endsTransaction() const {
  const Kind k = kind();
  return k == Kind::kConnectionLost || k == Kind::kReadOnly || k == Kind::kLockTimeout;
}

std::string Failure::describe() const {
  return "SQLSTATE " + (sqlState.empty() ? std::string("-----") : sqlState) + ", native " +
         std::to_string(nativeCode) + ": " + message;
}

}  // namespace odbc
