#include "adapter/odbc_command.h"

#include <cstdint>

#include "adapter/connection_string.h"
#include "adapter/odbc_api.h"
#include "adapter/odbc_text.h"
#include "adapter/sql_statements.h"
#include "util/message_logger.h"
#include "util/text_conversion.h"
#include "util/wide_text.h"

namespace {
constexpr const char* kSource = "DataCommand";
constexpr SQLUINTEGER kLoginTimeoutSeconds = 20;
// The data source as a connection string that tells the SQLite driver not to create a missing
// database file (NoCreat); other drivers ignore the keyword. Drivers parse the string themselves
// and not all of them understand braces, so a value that would need them (one holding ';', a
// brace, or blanks at its ends) leaves the string empty and the caller connects as usual.
std::u16string existingDatabaseConnectionString(const std::u16string& dataSource,
                                                const std::u16string& user,
                                                const std::u16string& password) {
  for (const std::u16string* value : {&dataSource, &user, &password}) {
    if (value->find_first_of(u";{}") != std::u16string::npos) return std::u16string();
    if (!value->empty() && (value->front() == u' ' || value->back() == u' ')) {
      return std::u16string();
    }
  }
  return u"DSN=" + dataSource + u";UID=" + user + u";PWD=" + password + u";NoCreat=1";
}

}  // namespace

struct CODBCCommand::Handles {
  odbc::EnvironmentHandle environment;
  std::unique_ptr<odbc::ConnectionHandle> connection;
  odbc::DriverText text;

  SQLHDBC dbc() const { return connection != nullptr ? connection->get() : SQL_NULL_HDBC; }

  // Runs one catalog function on a fresh statement and fetches its result into *rows.
  template <typename Call>
  int catalog(std::vector<ResultRow>* rows, Call call) {
    rows->clear();
    odbc::StatementHandle statement(dbc());
    if (!statement.valid()) return 0;
    if (odbc::succeeded(call(statement.get()))) {
      odbc::fetchRows(statement.get(), text, rows);
    } else {
      statement.logDiagnostics(&text);
    }
    return static_cast<int>(rows->size());
  }

  bool supports(SQLUSMALLINT function) const {
    SQLUSMALLINT supported = SQL_FALSE;
    return odbc::succeeded(EDA_ODBC(SQLGetFunctions, dbc(), function, &supported)) &&
           supported == SQL_TRUE;
  }
};

CODBCCommand::CODBCCommand() : handles_(std::make_unique<Handles>()) {}

CODBCCommand::~CODBCCommand() { disconnect(); }

bool CODBCCommand::connect(const std::u16string& dataSource, const std::u16string& user,
                           const std::u16string& password, bool mayCreateDatabase) {
  if (handles_->connection != nullptr) disconnect();
  if (!handles_->environment.valid()) return false;
  auto connection = std::make_unique<odbc::ConnectionHandle>(handles_->environment);
  if (!connection->valid()) return false;
  odbc::Failure failure;
  // A name with '=' is a connection string (see metalink.h).
  const std::u16string existingOnly = existingDatabaseConnectionString(dataSource, user, password);
  const bool connected =
      isConnectionString(dataSource)
          ? connection->driverConnect(withCredentials(dataSource, user, password),
                                      kLoginTimeoutSeconds, &failure)
      : !mayCreateDatabase && !existingOnly.empty()
          ? connection->driverConnect(existingOnly, kLoginTimeoutSeconds, &failure)
          : connection->connect(dataSource, user, password, kLoginTimeoutSeconds, &failure);
  if (!connected) {
    odbc::logFailure(failure, "Cannot connect to " + toUtf8(withoutPassword(dataSource)));
    lastFailure_ = failure;
    return false;
  }
  handles_->connection = std::move(connection);
  handles_->text = odbc::DriverText();
  dialect_ = SqlDialect::forDbmsName(getDbmsName());
  // Drivers of SQLite are ANSI drivers unless they say otherwise through the probe.
  handles_->text =
      odbc::DriverText::probe(handles_->dbc(), dialect_.kind() == SqlDialect::Kind::kSqlite);
  identifierQuote_ = getIdentifierQuote();
  return true;
}

void CODBCCommand::disconnect() {
  handles_->connection.reset();
  handles_->text = odbc::DriverText();
  dialect_ = SqlDialect();
  identifierQuote_.clear();
}

bool CODBCCommand::isConnected() const { return handles_->connection != nullptr; }

std::u16string CODBCCommand::getIdentifierQuote() {
  return handles_->text.info(handles_->dbc(), SQL_IDENTIFIER_QUOTE_CHAR);
}

std::u16string CODBCCommand::getDbmsName() {
  return handles_->text.info(handles_->dbc(), SQL_DBMS_NAME);
}

int CODBCCommand::queryTables() {
  const odbc::DriverText& text = handles_->text;
  return handles_->catalog(
      &rows_, [&text](SQLHSTMT statement) { return text.tables(statement, u"TABLE"); });
}

int CODBCCommand::queryColumns(const std::u16string& table) {
  const odbc::DriverText& text = handles_->text;
  return handles_->catalog(
      &rows_, [&text, &table](SQLHSTMT statement) { return text.columns(statement, table); });
}

int CODBCCommand::queryPrimaryKeys(const std::u16string& table) {
  if (!handles_->supports(SQL_API_SQLPRIMARYKEYS)) {
    rows_.clear();
    return -1;
  }
  const odbc::DriverText& text = handles_->text;
  return handles_->catalog(
      &rows_, [&text, &table](SQLHSTMT statement) { return text.primaryKeys(statement, table); });
}

int CODBCCommand::queryStatistics(const std::u16string& table) {
  if (!handles_->supports(SQL_API_SQLSTATISTICS)) {
    rows_.clear();
    return -1;
  }
  const odbc::DriverText& text = handles_->text;
  return handles_->catalog(
      &rows_, [&text, &table](SQLHSTMT statement) { return text.statistics(statement, table); });
}

int CODBCCommand::queryTypeInfo() {
  const odbc::DriverText& text = handles_->text;
  return handles_->catalog(&rows_,
                           [&text](SQLHSTMT statement) { return text.typeInfo(statement); });
}

int CODBCCommand::queryAutoIncrementColumns(const std::u16string& table) {
  rows_.clear();
  if (!handles_->supports(SQL_API_SQLCOLATTRIBUTE)) return 0;
  odbc::StatementHandle statement(handles_->dbc());
  if (!statement.valid()) return 0;
  const odbc::DriverText& text = handles_->text;
  // Prepared only: describing the result needs no rows.
  const std::u16string probe = SqlStatementBuilder(identifierQuote_, dialect_).columnsProbe(table);
  // A probe that fails is no proof that the table lacks an identity: callers look at
  // lastFailure() before they add one.
  if (!odbc::succeeded(text.prepare(statement.get(), probe))) {
    lastFailure_ = statement.logDiagnostics(&text);
    return 0;
  }
  SQLSMALLINT count = 0;
  if (!odbc::succeeded(EDA_ODBC(SQLNumResultCols, statement.get(), &count))) {
    lastFailure_ = statement.logDiagnostics(&text);
    return 0;
  }
  for (SQLUSMALLINT number = 1; number <= static_cast<SQLUSMALLINT>(count); ++number) {
    SQLLEN autoUnique = SQL_FALSE;
    if (!odbc::succeeded(EDA_ODBC(SQLColAttribute, statement.get(), number,
                                  SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr, &autoUnique))) {
      continue;
    }
    std::u16string label;
    if (!odbc::succeeded(text.columnLabel(statement.get(), number, &label))) continue;
    if (autoUnique == SQL_TRUE) rows_.push_back({{u"COLUMN_NAME", label}});
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

CODBCCommand::Outcome CODBCCommand::execute(const std::u16string& text) {
  odbc::StatementHandle statement(handles_->dbc());
  if (!statement.valid()) {
    lastFailure_ = odbc::readFailure(SQL_HANDLE_DBC, handles_->dbc(), &handles_->text);
    return Outcome::kFailed;
  }
  if (MessageLogger::infoEnabled()) MessageLogger::info(kSource, toUtf8(text));
  const SQLRETURN rc = handles_->text.execDirect(statement.get(), text);
  if (rc == SQL_NO_DATA) return Outcome::kNoRows;
  if (odbc::succeeded(rc)) return Outcome::kDone;
  lastFailure_ = statement.logDiagnostics(&handles_->text);
  return Outcome::kFailed;
}

void* CODBCCommand::connectionHandle() const { return handles_->dbc(); }

const odbc::DriverText& CODBCCommand::driverText() const { return handles_->text; }

bool CODBCCommand::executeQuery(const std::u16string& text) { return runQuery(text, nullptr); }

bool CODBCCommand::executeQuery(const std::u16string& text, RowSink* sink) {
  return runQuery(text, sink);
}

bool CODBCCommand::runQuery(const std::u16string& text, RowSink* sink) {
  rows_.clear();
  odbc::StatementHandle statement(handles_->dbc());
  if (!statement.valid()) {
    lastFailure_ = odbc::readFailure(SQL_HANDLE_DBC, handles_->dbc(), &handles_->text);
    return false;
  }
  if (!odbc::succeeded(handles_->text.execDirect(statement.get(), text))) {
    lastFailure_ = statement.logDiagnostics(&handles_->text);
    return false;
  }
  odbc::Failure failure;
  const bool fetched = sink != nullptr
                           ? odbc::fetchRows(statement.get(), handles_->text, sink, &failure)
                           : odbc::fetchRows(statement.get(), handles_->text, &rows_, &failure);
  if (!fetched) lastFailure_ = failure;
  return fetched;
}

int CODBCCommand::listDataSources() {
  rows_.clear();
  if (!handles_->environment.valid()) return 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  for (;;) {
    SQLWCHAR name[32 + 1] = {};
    SQLWCHAR description[512] = {};
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    const SQLRETURN rc = EDA_ODBC(
        SQLDataSourcesW, handles_->environment.get(), direction, name,
        static_cast<SQLSMALLINT>(sizeof name / sizeof *name), &nameLength, description,
        static_cast<SQLSMALLINT>(sizeof description / sizeof *description), &descriptionLength);
    direction = SQL_FETCH_NEXT;
    if (rc == SQL_SUCCESS) {
      rows_.push_back({{std::u16string(reinterpret_cast<char16_t*>(name)), std::u16string()}});
    } else if (rc == SQL_SUCCESS_WITH_INFO) {
      // A name that did not fit the buffer; listing a truncated name would mislead.
      odbc::logDiagnostics(SQL_HANDLE_ENV, handles_->environment.get());
    } else {
      if (rc != SQL_NO_DATA) odbc::logDiagnostics(SQL_HANDLE_ENV, handles_->environment.get());
      break;
    }
  }
  return static_cast<int>(rows_.size());
}

bool CODBCCommand::beginTransaction() {
  if (handles_->connection == nullptr) return false;
  if (!odbc::succeeded(EDA_ODBC(SQLSetConnectAttrW, handles_->dbc(), SQL_ATTR_AUTOCOMMIT,
                                reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0))) {
    odbc::logDiagnostics(SQL_HANDLE_DBC, handles_->dbc(), &handles_->text);
    return false;
  }
  return true;
}

bool CODBCCommand::endTransaction(bool commit) {
  if (handles_->connection == nullptr) return false;
  const bool ended = odbc::succeeded(
      EDA_ODBC(SQLEndTran, SQL_HANDLE_DBC, handles_->dbc(), commit ? SQL_COMMIT : SQL_ROLLBACK));
  if (!ended) odbc::logDiagnostics(SQL_HANDLE_DBC, handles_->dbc(), &handles_->text);
  if (!odbc::succeeded(EDA_ODBC(SQLSetConnectAttrW, handles_->dbc(), SQL_ATTR_AUTOCOMMIT,
                                reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0))) {
    odbc::logDiagnostics(SQL_HANDLE_DBC, handles_->dbc(), &handles_->text);
  }
  return ended;
}

bool CODBCCommand::beginReadTransaction() {
  if (handles_->connection == nullptr) return false;
  SQLUINTEGER offered = 0;
  if (odbc::succeeded(EDA_ODBC(SQLGetInfoW, handles_->dbc(), SQL_TXN_ISOLATION_OPTION, &offered,
                               sizeof offered, nullptr))) {
    // Repeatable read is a snapshot on PostgreSQL; where it is not offered, serializable is
    // stricter still.
    const SQLUINTEGER level = (offered & SQL_TXN_REPEATABLE_READ) != 0 ? SQL_TXN_REPEATABLE_READ
                              : (offered & SQL_TXN_SERIALIZABLE) != 0  ? SQL_TXN_SERIALIZABLE
                                                                       : 0;
    if (level != 0 && !odbc::succeeded(EDA_ODBC(
                          SQLSetConnectAttrW, handles_->dbc(), SQL_ATTR_TXN_ISOLATION,
                          reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(level)), 0))) {
      odbc::logDiagnostics(SQL_HANDLE_DBC, handles_->dbc(), &handles_->text);
      return false;
    }
  }
  return beginTransaction();
}
