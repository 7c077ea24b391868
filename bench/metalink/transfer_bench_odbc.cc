#include "transfer_bench_odbc.h"

#include <cstring>

#include "platform/text.h"

namespace transfer_bench {
std::string odbcDiagnostics(SQLSMALLINT type, SQLHANDLE handle, const odbc::DriverText* text) {
  const odbc::Failure failure = odbc::readFailure(type, handle, text);
  return failure.empty() ? "unknown ODBC failure" : failure.describe();
}

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

BenchConnection::~BenchConnection() = default;

bool BenchConnection::open(const std::string& dsn, const std::string& user,
                           const std::string& password, std::string* error) {
  connection_ = std::make_unique<odbc::ConnectionHandle>(environment_);
  if (!connection_->valid()) {
    *error = "cannot allocate ODBC handles";
    return false;
  }
  odbc::Failure failure;
  if (!connection_->connect(platform::utf8ToUtf16(dsn), platform::utf8ToUtf16(user),
                            platform::utf8ToUtf16(password), 20, &failure)) {
    *error = "cannot connect to " + dsn + ": " + failure.describe();
    connection_.reset();
    return false;
  }
  text_ = odbc::DriverText::probe(handle(), true);
  return true;
}

std::string BenchConnection::dbmsName() {
  return platform::utf16ToUtf8(text_.info(handle(), SQL_DBMS_NAME));
}

bool BenchConnection::execute(const std::string& sql, std::string* error) {
  return query(sql, nullptr, error);
}

bool BenchConnection::query(const std::string& sql, std::vector<std::vector<std::string>>* rows,
                            std::string* error) {
  odbc::StatementHandle stmt(handle());
  if (!stmt.valid()) {
    *error = odbcDiagnostics(SQL_HANDLE_DBC, handle(), &text_);
    return false;
  }
  const SQLRETURN rc = text_.execDirect(stmt.get(), platform::utf8ToUtf16(sql));
  if (!odbc::succeeded(rc) && rc != SQL_NO_DATA) {
    *error = sql + ": " + stmt.failure(&text_).describe();
    return false;
  }
  SQLSMALLINT columns = 0;
  if (rows == nullptr || !odbc::succeeded(SQLNumResultCols(stmt.get(), &columns))) return true;
  while (odbc::succeeded(SQLFetch(stmt.get()))) {
    std::vector<std::string> row;
    for (SQLUSMALLINT c = 1; c <= columns; ++c) {
      std::u16string value;
      bool isNull = false;
      text_.getData(stmt.get(), c, &value, &isNull);
      row.push_back(platform::utf16ToUtf8(value));
    }
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
  if (SQL_SUCCEEDED(SQLSetConnectAttrW(handle(), SQL_ATTR_AUTOCOMMIT,
                                       reinterpret_cast<SQLPOINTER>(value), 0))) {
    return true;
  }
  *error = "cannot switch auto-commit: " + odbcDiagnostics(SQL_HANDLE_DBC, handle(), &text_);
  return false;
}

bool BenchConnection::commit(std::string* error) {
  if (SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, handle(), SQL_COMMIT))) return true;
  *error = "commit failed: " + odbcDiagnostics(SQL_HANDLE_DBC, handle(), &text_);
  return false;
}

void BenchConnection::rollback() { SQLEndTran(SQL_HANDLE_DBC, handle(), SQL_ROLLBACK); }

PreparedInsert::~PreparedInsert() = default;

bool PreparedInsert::prepare(BenchConnection* connection, const std::string& table,
                             const std::vector<std::string>& columns, std::string* error) {
  std::string sql = "INSERT INTO " + quoted(table) + "(";
  std::string marks;
  for (size_t i = 0; i < columns.size(); ++i) {
    sql += (i == 0 ? "" : ",") + quoted(columns[i]);
    marks += i == 0 ? "?" : ",?";
  }
  sql += ") VALUES(" + marks + ")";
  text_ = &connection->text();
  stmt_ = std::make_unique<odbc::StatementHandle>(connection->handle());
  if (!stmt_->valid()) {
    *error = odbcDiagnostics(SQL_HANDLE_DBC, connection->handle(), text_);
    return false;
  }
  if (!odbc::succeeded(text_->prepare(stmt_->get(), platform::utf8ToUtf16(sql)))) {
    *error = sql + ": " + stmt_->failure(text_).describe();
    return false;
  }
  // The buffers never move after binding: the vector is sized once here.
  parameters_.assign(columns.size(), Parameter{});
  for (size_t i = 0; i < parameters_.size(); ++i) {
    Parameter& p = parameters_[i];
    // The generated values are ASCII: narrow parameters suit every driver.
    if (!odbc::succeeded(SQLBindParameter(stmt_->get(), static_cast<SQLUSMALLINT>(i + 1),
                                          SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, kMaxValueBytes,
                                          0, p.text, sizeof p.text, &p.length))) {
      *error = sql + ": " + stmt_->failure(text_).describe();
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
  if (odbc::succeeded(SQLExecute(stmt_->get()))) return true;
  *error = "insert failed: " + stmt_->failure(text_).describe();
  return false;
}

}  // namespace transfer_bench
