#include "transfer_bench_odbc.h"

#include <cstring>

#include "platform/text.h"

namespace transfer_bench {
namespace {

SQLWCHAR* sqlText(std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(text.data()); }
SQLSMALLINT textLength(const std::u16string& text) { return static_cast<SQLSMALLINT>(text.size()); }

// A statement handle freed when it goes out of scope.
class Statement {
 public:
  explicit Statement(SQLHDBC dbc) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt_))) stmt_ = SQL_NULL_HSTMT;
  }
  ~Statement() {
    if (stmt_ != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  SQLHSTMT get() const { return stmt_; }

 private:
  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

std::string readText(SQLHSTMT stmt, SQLUSMALLINT column) {
  std::u16string value;
  SQLWCHAR part[1024];
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(stmt, column, SQL_C_WCHAR, part, sizeof part, &indicator);
    if (!SQL_SUCCEEDED(rc) || indicator == SQL_NULL_DATA) break;
    const size_t capacity = sizeof part / sizeof *part - 1;
    const bool full =
        indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) / sizeof(SQLWCHAR) > capacity;
    const size_t units = full ? capacity : static_cast<size_t>(indicator) / sizeof(SQLWCHAR);
    value.append(reinterpret_cast<const char16_t*>(part), units);
    if (!full) break;
  }
  return platform::utf16ToUtf8(value);
}

}  // namespace

std::string odbcDiagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::string text;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLWCHAR message[1024] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(
            SQLGetDiagRecW(type, handle, record, state, &native, message, 1023, &length))) {
      break;
    }
    if (!text.empty()) text += "; ";
    text += platform::utf16ToUtf8(reinterpret_cast<const char16_t*>(message));
  }
  return text.empty() ? "unknown ODBC failure" : text;
}

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

BenchConnection::~BenchConnection() {
  if (connected_) SQLDisconnect(dbc_);
  if (dbc_ != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
  if (env_ != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

bool BenchConnection::open(const std::string& dsn, const std::string& user,
                           const std::string& password, std::string* error) {
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_)) ||
      !SQL_SUCCEEDED(SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION,
                                   reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)) ||
      !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_))) {
    *error = "cannot allocate ODBC handles";
    return false;
  }
  std::u16string wideDsn = platform::utf8ToUtf16(dsn);
  std::u16string wideUser = platform::utf8ToUtf16(user);
  std::u16string widePassword = platform::utf8ToUtf16(password);
  // Explicit lengths: unixODBC's conversion for ANSI drivers reads past the end of a short text
  // given with SQL_NTS.
  if (!SQL_SUCCEEDED(SQLConnectW(dbc_, sqlText(wideDsn), textLength(wideDsn), sqlText(wideUser),
                                 textLength(wideUser), sqlText(widePassword),
                                 textLength(widePassword)))) {
    *error = "cannot connect to " + dsn + ": " + odbcDiagnostics(SQL_HANDLE_DBC, dbc_);
    return false;
  }
  connected_ = true;
  return true;
}

std::string BenchConnection::dbmsName() {
  SQLWCHAR name[128] = {};
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLGetInfoW(dbc_, SQL_DBMS_NAME, name, sizeof name, &length))) return "";
  return platform::utf16ToUtf8(reinterpret_cast<const char16_t*>(name));
}

bool BenchConnection::execute(const std::string& sql, std::string* error) {
  return query(sql, nullptr, error);
}

bool BenchConnection::query(const std::string& sql, std::vector<std::vector<std::string>>* rows,
                            std::string* error) {
  Statement stmt(dbc_);
  if (stmt.get() == SQL_NULL_HSTMT) {
    *error = odbcDiagnostics(SQL_HANDLE_DBC, dbc_);
    return false;
  }
  std::u16string text = platform::utf8ToUtf16(sql);
  const SQLRETURN rc = SQLExecDirectW(stmt.get(), sqlText(text), SQL_NTS);
  if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
    *error = sql + ": " + odbcDiagnostics(SQL_HANDLE_STMT, stmt.get());
    return false;
  }
  SQLSMALLINT columns = 0;
  if (rows == nullptr || !SQL_SUCCEEDED(SQLNumResultCols(stmt.get(), &columns))) return true;
  while (SQL_SUCCEEDED(SQLFetch(stmt.get()))) {
    std::vector<std::string> row;
    for (SQLUSMALLINT c = 1; c <= columns; ++c) row.push_back(readText(stmt.get(), c));
    rows->push_back(std::move(row));
  }
  return true;
}

long long BenchConnection::queryNumber(const std::string& sql, std::string* error) {
  std::vector<std::vector<std::string>> rows;
  if (!query(sql, &rows, error)) return -1;
  if (rows.empty() || rows[0].empty()) {
    *error = sql + ": no result";
    return -1;
  }
  return std::stoll("0" + rows[0][0]);
}

bool BenchConnection::setAutoCommit(bool on, std::string* error) {
  const SQLULEN value = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
  if (SQL_SUCCEEDED(
          SQLSetConnectAttrW(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(value), 0))) {
    return true;
  }
  *error = "cannot switch auto-commit: " + odbcDiagnostics(SQL_HANDLE_DBC, dbc_);
  return false;
}

bool BenchConnection::commit(std::string* error) {
  if (SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT))) return true;
  *error = "commit failed: " + odbcDiagnostics(SQL_HANDLE_DBC, dbc_);
  return false;
}

void BenchConnection::rollback() { SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK); }

PreparedInsert::~PreparedInsert() {
  if (stmt_ != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
}

bool PreparedInsert::prepare(BenchConnection* connection, const std::string& table,
                             const std::vector<std::string>& columns, std::string* error) {
  std::string sql = "INSERT INTO " + quoted(table) + "(";
  std::string marks;
  for (size_t i = 0; i < columns.size(); ++i) {
    sql += (i == 0 ? "" : ",") + quoted(columns[i]);
    marks += i == 0 ? "?" : ",?";
  }
  sql += ") VALUES(" + marks + ")";
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection->handle(), &stmt_))) {
    stmt_ = SQL_NULL_HSTMT;
    *error = odbcDiagnostics(SQL_HANDLE_DBC, connection->handle());
    return false;
  }
  std::u16string text = platform::utf8ToUtf16(sql);
  if (!SQL_SUCCEEDED(SQLPrepareW(stmt_, sqlText(text), SQL_NTS))) {
    *error = sql + ": " + odbcDiagnostics(SQL_HANDLE_STMT, stmt_);
    return false;
  }
  // The buffers never move after binding: the vector is sized once here.
  parameters_.assign(columns.size(), Parameter{});
  for (size_t i = 0; i < parameters_.size(); ++i) {
    Parameter& p = parameters_[i];
    if (!SQL_SUCCEEDED(SQLBindParameter(stmt_, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                                        SQL_C_CHAR, SQL_VARCHAR, kMaxValueBytes, 0, p.text,
                                        sizeof p.text, &p.length))) {
      *error = sql + ": " + odbcDiagnostics(SQL_HANDLE_STMT, stmt_);
      return false;
    }
  }
  return true;
}

bool PreparedInsert::run(const std::vector<std::string>& values, std::string* error) {
  if (values.size() != parameters_.size()) {
    *error = "wrong number of values for a prepared insert";
    return false;
  }
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i].size() > kMaxValueBytes) {
      *error = "value longer than " + std::to_string(kMaxValueBytes) + " bytes: " + values[i];
      return false;
    }
    std::memcpy(parameters_[i].text, values[i].data(), values[i].size());
    parameters_[i].text[values[i].size()] = '\0';
    parameters_[i].length = static_cast<SQLLEN>(values[i].size());
  }
  if (SQL_SUCCEEDED(SQLExecute(stmt_))) return true;
  *error = "insert failed: " + odbcDiagnostics(SQL_HANDLE_STMT, stmt_);
  return false;
}

}  // namespace transfer_bench
