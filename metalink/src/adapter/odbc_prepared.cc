#include "adapter/odbc_prepared.h"

#include <vector>

#include "adapter/odbc_api.h"
#include "adapter/odbc_text.h"
#include "util/message_logger.h"
#include "util/text_conversion.h"

namespace {
constexpr const char* kSource = "DataCommand";
}  // namespace

struct CODBCPrepared::Handle {
  Handle(SQLHDBC connection, const odbc::DriverText& driverText)
      : statement(connection), text(driverText) {}
  odbc::StatementHandle statement;
  odbc::DriverText text;
  // The bound values; they stay put until SQLExecute has read them.
  std::vector<std::string> buffers;
  std::vector<SQLLEN> lengths;
};

CODBCPrepared::CODBCPrepared(CODBCCommand* command, std::unique_ptr<Handle> handle,
                             std::u16string text)
    : command_(command), handle_(std::move(handle)), text_(std::move(text)) {}

CODBCPrepared::~CODBCPrepared() = default;

std::unique_ptr<CODBCPrepared> CODBCCommand::prepare(const std::u16string& text, bool quiet) {
  auto handle = std::make_unique<CODBCPrepared::Handle>(connectionHandle(), driverText());
  if (!handle->statement.valid()) {
    lastFailure_ = odbc::readFailure(SQL_HANDLE_DBC, connectionHandle(), &driverText());
    return nullptr;
  }
  // The text once; its runs are not logged one by one.
  if (MessageLogger::debugEnabled()) MessageLogger::debug(kSource, "Prepared: " + toUtf8(text));
  if (!odbc::succeeded(driverText().prepare(handle->statement.get(), text))) {
    lastFailure_ = handle->statement.failure(&driverText());
    if (!quiet) odbc::logFailure(lastFailure_);
    return nullptr;
  }
  return std::unique_ptr<CODBCPrepared>(new CODBCPrepared(this, std::move(handle), text));
}

CODBCCommand::Outcome CODBCPrepared::run(const std::vector<std::u16string>& values, bool quiet) {
  rows_.clear();
  return execute(values, quiet, [this](Row&& row) { rows_.push_back(std::move(row)); });
}

CODBCCommand::Outcome CODBCPrepared::runEach(const std::vector<std::u16string>& values,
                                             const std::function<void(const Row&)>& each) {
  rows_.clear();
  return execute(values, false, [&each](Row&& row) { each(row); });
}

CODBCCommand::Outcome CODBCPrepared::execute(const std::vector<std::u16string>& values, bool quiet,
                                             const std::function<void(Row&&)>& each) {
  SQLHSTMT statement = handle_->statement.get();
  const odbc::DriverText& text = handle_->text;
  auto fail = [&]() {
    odbc::Failure failure = handle_->statement.failure(&text);
    if (!quiet || failure.endsTransaction()) {
      odbc::logFailure(failure, toUtf8(text_));
    } else if (MessageLogger::infoEnabled()) {
      MessageLogger::info(kSource, toUtf8(text_) + ": " + failure.describe() +
                                       " (the rows are written one by one)");
    }
    command_->lastFailure_ = failure;
    EDA_ODBC(SQLFreeStmt, statement, SQL_CLOSE);
    return CODBCCommand::Outcome::kFailed;
  };
  std::vector<std::string>& buffers = handle_->buffers;
  std::vector<SQLLEN>& lengths = handle_->lengths;
  buffers.resize(values.size());
  lengths.resize(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    buffers[i] = text.encode(values[i]);
    lengths[i] = static_cast<SQLLEN>(buffers[i].size());
    const SQLULEN characters = values[i].empty() ? 1 : values[i].size();
    const SQLRETURN rc =
        EDA_ODBC(SQLBindParameter, statement, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                 text.cType(), text.sqlType(), characters, 0, const_cast<char*>(buffers[i].data()),
                 static_cast<SQLLEN>(buffers[i].size()), &lengths[i]);
    if (!odbc::succeeded(rc)) return fail();
  }
  const SQLRETURN rc = EDA_ODBC(SQLExecute, statement);
  if (rc == SQL_NO_DATA) return CODBCCommand::Outcome::kNoRows;
  if (!odbc::succeeded(rc)) return fail();
  SQLSMALLINT columns = 0;
  if (!odbc::succeeded(EDA_ODBC(SQLNumResultCols, statement, &columns))) return fail();
  if (columns > 0) {
    std::vector<char> part;
    for (;;) {
      const SQLRETURN fetched = EDA_ODBC(SQLFetch, statement);
      if (fetched == SQL_NO_DATA) break;
      if (!odbc::succeeded(fetched)) return fail();
      Row row(static_cast<size_t>(columns));
      for (SQLSMALLINT c = 0; c < columns; ++c) {
        std::u16string value;
        bool isNull = false;
        if (!text.getData(statement, static_cast<SQLUSMALLINT>(c + 1), &part, &value, &isNull)) {
          return fail();
        }
        if (!isNull) row[static_cast<size_t>(c)] = std::move(value);
      }
      each(std::move(row));
    }
    EDA_ODBC(SQLFreeStmt, statement, SQL_CLOSE);
  }
  return CODBCCommand::Outcome::kDone;
}
