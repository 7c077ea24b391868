#include "adapter/odbc_command.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "adapter/connection_string.h"
#include "adapter/odbc_api.h"
#include "util/message_logger.h"
#include "util/text_conversion.h"
#include "util/wide_text.h"

namespace {
constexpr const char* kSource = "DataCommand";
constexpr SQLUINTEGER kLoginTimeoutSeconds = 20;
// Opens a connection string. unixODBC converts a wide connection string before it knows whether
// the driver takes wide text, cutting every character to its low byte on the way to a narrow
// driver (the SQLite driver): a file named in it would be opened, or created, under a wrong
// name. So a string with characters beyond ASCII goes to the narrow entry point first, in the
// process's UTF-8, which a narrow driver takes as it is; when that fails (a wide driver receives
// such text widened byte by byte) the wide entry point is tried.
SQLRETURN driverConnect(SQLHDBC connection, const std::u16string& text) {
  const bool ascii = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
  if (!ascii) {
    std::string narrow = toUtf8(text);
    const SQLRETURN rc = EDA_ODBC(SQLDriverConnect, connection, nullptr,
                                  reinterpret_cast<SQLCHAR*>(narrow.data()),
                                  static_cast<SQLSMALLINT>(narrow.size()), nullptr, 0, nullptr,
                                  SQL_DRIVER_NOPROMPT);
    if (odbc::succeeded(rc)) return rc;
  }
  return EDA_ODBC(SQLDriverConnectW, connection, nullptr, odbc::sqlText(text),
                  odbc::sqlShortLength(text), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
}

}  // namespace

struct CODBCCommand::Handles {
  SQLHENV environment = SQL_NULL_HENV;
  SQLHDBC connection = SQL_NULL_HDBC;

  // Runs one catalog function on a fresh statement and fetches its result into *rows.
  template <typename Call>
  int catalog(std::vector<ResultRow>* rows, Call call) {
    rows->clear();
    odbc::StatementHandle statement(connection);
    if (!statement.valid()) return 0;
    if (odbc::succeeded(call(statement.get()))) {
      odbc::fetchRows(statement.get(), rows);
    } else {
      statement.logDiagnostics();
    }
    return static_cast<int>(rows->size());
  }

  bool supports(SQLUSMALLINT function) const {
    SQLUSMALLINT supported = SQL_FALSE;
    return odbc::succeeded(EDA_ODBC(SQLGetFunctions, connection, function, &supported)) &&
           supported == SQL_TRUE;
  }

  std::u16string info(SQLUSMALLINT type) const {
    if (connection == SQL_NULL_HDBC) return std::u16string();
    SQLWCHAR buffer[512] = {};  // 1,024 bytes, zeroed
    SQLSMALLINT length = 0;
    // The buffer length is given one unit short, so a truncated text keeps its terminator.
    if (!odbc::succeeded(EDA_ODBC(SQLGetInfoW, connection, type, buffer,
                                  static_cast<SQLSMALLINT>(sizeof buffer - sizeof *buffer),
                                  &length))) {
      return std::u16string();
    }
    return std::u16string(reinterpret_cast<const char16_t*>(buffer));
  }
};

CODBCCommand::CODBCCommand() : handles_(std::make_unique<Handles>()) {
  SQLHENV environment = SQL_NULL_HENV;
  if (!odbc::succeeded(EDA_ODBC(SQLAllocHandle, SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment))) {
    odbc::logDiagnostics(SQL_HANDLE_ENV, environment);
    if (environment != SQL_NULL_HENV) EDA_ODBC(SQLFreeHandle, SQL_HANDLE_ENV, environment);
    return;
  }
  if (!odbc::succeeded(EDA_ODBC(SQLSetEnvAttr, environment, SQL_ATTR_ODBC_VERSION,
                                reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0))) {
    odbc::logDiagnostics(SQL_HANDLE_ENV, environment);
  }
  handles_->environment = environment;
}

CODBCCommand::~CODBCCommand() {
  // Owners disconnect first; one that did not would leak the connection, and the environment
  // cannot be freed while a connection on it is open.
  disconnect();
  if (handles_->environment != SQL_NULL_HENV) {
    EDA_ODBC(SQLFreeHandle, SQL_HANDLE_ENV, handles_->environment);
  }
}

bool CODBCCommand::connect(const std::u16string& dataSource, const std::u16string& user,
                           const std::u16string& password) {
  if (handles_->connection != SQL_NULL_HDBC) disconnect();
  if (handles_->environment == SQL_NULL_HENV) return false;
  SQLHDBC connection = SQL_NULL_HDBC;
  if (!odbc::succeeded(
          EDA_ODBC(SQLAllocHandle, SQL_HANDLE_DBC, handles_->environment, &connection))) {
    odbc::logDiagnostics(SQL_HANDLE_ENV, handles_->environment);
    return false;
  }
  EDA_ODBC(SQLSetConnectAttrW, connection, SQL_ATTR_LOGIN_TIMEOUT,
           reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(kLoginTimeoutSeconds)), 0);
  SQLRETURN rc;
  if (isConnectionString(dataSource)) {
    rc = driverConnect(connection, withCredentials(dataSource, user, password));
  } else {
    rc = EDA_ODBC(SQLConnectW, connection, odbc::sqlText(dataSource),
                  odbc::sqlShortLength(dataSource), odbc::sqlText(user), odbc::sqlShortLength(user),
                  odbc::sqlText(password), odbc::sqlShortLength(password));
  }
  if (!odbc::succeeded(rc)) {
    odbc::logDiagnostics(SQL_HANDLE_DBC, connection);
    EDA_ODBC(SQLFreeHandle, SQL_HANDLE_DBC, connection);
    return false;
  }
  handles_->connection = connection;
  dialect_ = SqlDialect::forDbmsName(getDbmsName());
  identifierQuote_ = getIdentifierQuote();
  return true;
}

void CODBCCommand::disconnect() {
  if (handles_->connection == SQL_NULL_HDBC) return;
  EDA_ODBC(SQLDisconnect, handles_->connection);
  EDA_ODBC(SQLFreeHandle, SQL_HANDLE_DBC, handles_->connection);
  handles_->connection = SQL_NULL_HDBC;
  dialect_ = SqlDialect();
  identifierQuote_.clear();
}

bool CODBCCommand::isConnected() const { return handles_->connection != SQL_NULL_HDBC; }

std::u16string CODBCCommand::getIdentifierQuote() {
  return handles_->info(SQL_IDENTIFIER_QUOTE_CHAR);
}

std::u16string CODBCCommand::getDbmsName() { return handles_->info(SQL_DBMS_NAME); }

int CODBCCommand::queryTables() {
  static const std::u16string kTableType = u"TABLE";
  return handles_->catalog(&rows_, [](SQLHSTMT statement) {
    return EDA_ODBC(SQLTablesW, statement, nullptr, 0, nullptr, 0, nullptr, 0,
                    odbc::sqlText(kTableType), SQL_NTS);
  });
}

int CODBCCommand::queryColumns(const std::u16string& table) {
  return handles_->catalog(&rows_, [&table](SQLHSTMT statement) {
    return EDA_ODBC(SQLColumnsW, statement, nullptr, 0, nullptr, 0, odbc::sqlText(table),
                    odbc::sqlShortLength(table), nullptr, 0);
  });
}

int CODBCCommand::queryPrimaryKeys(const std::u16string& table) {
  if (!handles_->supports(SQL_API_SQLPRIMARYKEYS)) {
    rows_.clear();
    return -1;
  }
  return handles_->catalog(&rows_, [&table](SQLHSTMT statement) {
    return EDA_ODBC(SQLPrimaryKeysW, statement, nullptr, 0, nullptr, 0, odbc::sqlText(table),
                    odbc::sqlShortLength(table));
  });
}

int CODBCCommand::queryStatistics(const std::u16string& table) {
  if (!handles_->supports(SQL_API_SQLSTATISTICS)) {
    rows_.clear();
    return -1;
  }
  return handles_->catalog(&rows_, [&table](SQLHSTMT statement) {
    return EDA_ODBC(SQLStatisticsW, statement, nullptr, 0, nullptr, 0, odbc::sqlText(table),
                    odbc::sqlShortLength(table), SQL_INDEX_UNIQUE, SQL_QUICK);
  });
}

int CODBCCommand::queryTypeInfo() {
  return handles_->catalog(&rows_, [](SQLHSTMT statement) {
    return EDA_ODBC(SQLGetTypeInfoW, statement, SQL_ALL_TYPES);
  });
}

int CODBCCommand::queryAutoIncrementColumns(const std::u16string& table) {
  rows_.clear();
  if (!handles_->supports(SQL_API_SQLCOLATTRIBUTE)) return 0;
  odbc::StatementHandle statement(handles_->connection);
  if (!statement.valid()) return 0;
  // Prepared only: describing the result needs no rows.
  const std::u16string probe = dialect_.autoIncrementProbe(table, identifierQuote_);
  if (!odbc::succeeded(
          EDA_ODBC(SQLPrepareW, statement.get(), odbc::sqlText(probe), odbc::sqlLength(probe)))) {
    statement.logDiagnostics();
    return 0;
  }
  SQLSMALLINT count = 0;
  if (!odbc::succeeded(EDA_ODBC(SQLNumResultCols, statement.get(), &count))) {
    statement.logDiagnostics();
    return 0;
  }
  for (SQLUSMALLINT number = 1; number <= static_cast<SQLUSMALLINT>(count); ++number) {
    SQLLEN autoUnique = SQL_FALSE;
    if (!odbc::succeeded(EDA_ODBC(SQLColAttributeW, statement.get(), number,
                                  SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr, &autoUnique))) {
      continue;
    }
    SQLWCHAR label[256] = {};  // 512 bytes
    SQLSMALLINT length = 0;
    if (!odbc::succeeded(EDA_ODBC(SQLColAttributeW, statement.get(), number, SQL_DESC_LABEL, label,
                                  static_cast<SQLSMALLINT>(sizeof label - sizeof *label), &length,
                                  nullptr))) {
      continue;
    }
    if (autoUnique == SQL_TRUE) {
      rows_.push_back({{u"COLUMN_NAME", std::u16string(reinterpret_cast<char16_t*>(label))}});
    }
  }
  return static_cast<int>(rows_.size());
}

std::vector<std::u16string> CODBCCommand::getColumnValues(const std::u16string& column) const {
  std::vector<std::u16string> values;
  for (const ResultRow& row : rows_) {
    for (const auto& pair : row) {
      if (equalsIgnoreCase(pair.first, column)) {
        values.push_back(pair.second);
        break;
      }
    }
  }
  return values;
}

bool CODBCCommand::execute(const std::u16string& text) {
  odbc::StatementHandle statement(handles_->connection);
  if (!statement.valid()) return false;
  if (MessageLogger::infoEnabled) MessageLogger::info(kSource, toUtf8(text));
  const SQLRETURN rc =
      EDA_ODBC(SQLExecDirectW, statement.get(), odbc::sqlText(text), odbc::sqlLength(text));
  if (rc == SQL_ERROR || rc == SQL_SUCCESS_WITH_INFO) {
    statement.logDiagnostics();
    return rc == SQL_SUCCESS_WITH_INFO;
  }
  return rc == SQL_SUCCESS;
}

bool CODBCCommand::executeQuery(const std::u16string& text) {
  rows_.clear();
  odbc::StatementHandle statement(handles_->connection);
  if (!statement.valid()) return false;
  if (!odbc::succeeded(
          EDA_ODBC(SQLExecDirectW, statement.get(), odbc::sqlText(text), odbc::sqlLength(text)))) {
    statement.logDiagnostics();
    return false;
  }
  return odbc::fetchRows(statement.get(), &rows_);
}

int CODBCCommand::listDataSources() {
  rows_.clear();
  if (handles_->environment == SQL_NULL_HENV) return 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  for (;;) {
    SQLWCHAR name[32 + 1] = {};
    SQLWCHAR description[512] = {};
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    const SQLRETURN rc = EDA_ODBC(
        SQLDataSourcesW, handles_->environment, direction, name,
        static_cast<SQLSMALLINT>(sizeof name / sizeof *name), &nameLength, description,
        static_cast<SQLSMALLINT>(sizeof description / sizeof *description), &descriptionLength);
    direction = SQL_FETCH_NEXT;
    if (rc == SQL_SUCCESS) {
      rows_.push_back({{std::u16string(reinterpret_cast<char16_t*>(name)), std::u16string()}});
    } else if (rc == SQL_SUCCESS_WITH_INFO) {
      // A name that did not fit the buffer; listing a truncated name would mislead.
      odbc::logDiagnostics(SQL_HANDLE_ENV, handles_->environment);
    } else {
      if (rc != SQL_NO_DATA) odbc::logDiagnostics(SQL_HANDLE_ENV, handles_->environment);
      break;
    }
  }
  return static_cast<int>(rows_.size());
}

bool CODBCCommand::beginTransaction() {
  if (handles_->connection == SQL_NULL_HDBC) return false;
  if (!odbc::succeeded(EDA_ODBC(SQLSetConnectAttrW, handles_->connection, SQL_ATTR_AUTOCOMMIT,
                                reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0))) {
    odbc::logDiagnostics(SQL_HANDLE_DBC, handles_->connection);
    return false;
  }
  return true;
}

bool CODBCCommand::endTransaction(bool commit) {
  if (handles_->connection == SQL_NULL_HDBC) return false;
  const bool ended = odbc::succeeded(EDA_ODBC(SQLEndTran, SQL_HANDLE_DBC, handles_->connection,
                                              commit ? SQL_COMMIT : SQL_ROLLBACK));
  if (!ended) odbc::logDiagnostics(SQL_HANDLE_DBC, handles_->connection);
  if (!odbc::succeeded(EDA_ODBC(SQLSetConnectAttrW, handles_->connection, SQL_ATTR_AUTOCOMMIT,
                                reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0))) {
    odbc::logDiagnostics(SQL_HANDLE_DBC, handles_->connection);
  }
  return ended;
}

bool CODBCCommand::beginReadTransaction() {
  if (handles_->connection == SQL_NULL_HDBC) return false;
  SQLUINTEGER offered = 0;
  if (odbc::succeeded(EDA_ODBC(SQLGetInfoW, handles_->connection, SQL_TXN_ISOLATION_OPTION,
                               &offered, sizeof offered, nullptr))) {
    // Repeatable read is a snapshot on PostgreSQL; where it is not offered, serializable is
    // stricter still.
    const SQLUINTEGER level = (offered & SQL_TXN_REPEATABLE_READ) != 0 ? SQL_TXN_REPEATABLE_READ
                              : (offered & SQL_TXN_SERIALIZABLE) != 0  ? SQL_TXN_SERIALIZABLE
                                                                       : 0;
    if (level != 0 &&
        !odbc::succeeded(EDA_ODBC(SQLSetConnectAttrW, handles_->connection, SQL_ATTR_TXN_ISOLATION,
                                  reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(level)), 0))) {
      odbc::logDiagnostics(SQL_HANDLE_DBC, handles_->connection);
      return false;
    }
  }
  return beginTransaction();
}
