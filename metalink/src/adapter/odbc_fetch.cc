// Turning a result set into text rows.
//
// Binding table (SQL type reported by SQLDescribeColW -> C type fetched):
//   NUMERIC, DECIMAL, FLOAT, REAL, DOUBLE          -> SQL_C_DOUBLE, written as "%g"
//   DATETIME (9), TYPE_DATE, TYPE_TIMESTAMP        -> SQL_C_TIMESTAMP, written as
//                                                     "YYYY-MM-DDThh:mm:ss" (fraction dropped)
//   BIT, TINYINT, INTEGER, SMALLINT                -> SQL_C_SLONG, written in decimal
//   everything else                                -> text, the value itself, in the driver's
//                                                     text encoding (see odbc_text.h)
// Every value must arrive whole, and a declared size is no limit everywhere (SQLite keeps any
// length in a VARCHAR(255); long types report sizes up to two thousand million or none).
// Where the driver lets SQLGetData read a bound column again (DriverText::bindsText), every column
// is bound, text into a buffer of its declared size up to a bound, so one SQLFetch converts the
// whole row; a value that did not fit its buffer is then read again whole with SQLGetData. A
// call per value costs the PostgreSQL driver more than the conversion itself. Elsewhere numbers
// are bound up to the first text column and text is read with SQLGetData, in parts through one
// bounded buffer; columns after the first text column are read that way too, because drivers
// need SQLGetData columns to follow the bound ones.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "adapter/odbc_api.h"
#include "adapter/odbc_text.h"
#include "adapter/odbc_value_text.h"
#include "util/text_conversion.h"

namespace odbc {
namespace {

// Stands for "text in the driver's encoding"; the C type of a bound text buffer comes from the
// DriverText.
constexpr SQLSMALLINT kTextType = SQL_C_WCHAR;
// Characters of a bound text buffer: the declared size when it is at most this, else this. Most
// values of a part library are short; a longer one costs one more call.
constexpr SQLULEN kBoundTextCharacters = 512;

SQLSMALLINT cTypeFor(SQLSMALLINT sqlType) {
  switch (sqlType) {
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
      return SQL_C_DOUBLE;
    case SQL_DATETIME:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
      return SQL_C_TIMESTAMP;
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_INTEGER:
    case SQL_SMALLINT:
      return SQL_C_SLONG;
    default:
      return kTextType;
  }
}

struct Column {
  std::u16string name;
  SQLSMALLINT cType = kTextType;
  bool bound = false;
  union {
    double number;
    SQL_TIMESTAMP_STRUCT timestamp;
    SQLINTEGER integer;
  } fixed{};
  std::vector<char> text;  // the bound buffer of a text column
  SQLLEN indicator = 0;

  bool isText() const { return cType == kTextType; }
  // A bound text value that did not fit its buffer (the terminator included).
  bool cutShort(const DriverText& driverText) const {
    const SQLLEN terminator = driverText.wide() ? sizeof(SQLWCHAR) : 1;
    return indicator == SQL_NO_TOTAL ||
           (indicator > 0 && indicator > static_cast<SQLLEN>(text.size()) - terminator);
  }
  SQLLEN fixedBytes() const {
    if (cType == SQL_C_DOUBLE) return sizeof(double);
    if (cType == SQL_C_TIMESTAMP) return sizeof(SQL_TIMESTAMP_STRUCT);
    return sizeof(SQLINTEGER);
  }
};

std::u16string fixedText(const Column& column) {
  switch (column.cType) {
    case SQL_C_DOUBLE:
      return toWide(formatDouble(column.fixed.number));
    case SQL_C_TIMESTAMP: {
      const SQL_TIMESTAMP_STRUCT& t = column.fixed.timestamp;
      return toWide(formatTimestamp(t.year, t.month, t.day, t.hour, t.minute, t.second));
    }
    default:
      return toWide(formatInteger(column.fixed.integer));
  }
}

// Reads the value of an unbound column into *value with SQLGetData; `part` is the buffer that
// text comes through. False when the driver fails (*failure says why).
bool unboundValue(const DriverText& driverText, SQLHSTMT statement, SQLUSMALLINT number,
                  Column* column, std::vector<char>* part, std::u16string* value,
                  Failure* failure) {
  value->clear();
  if (column->isText()) {
    bool isNull = false;
    return driverText.getData(statement, number, part, value, &isNull, failure);
  }
  column->indicator = 0;
  const SQLRETURN rc = EDA_ODBC(SQLGetData, statement, number, column->cType, &column->fixed,
                                column->fixedBytes(), &column->indicator);
  if (rc == SQL_NO_DATA) return true;
  if (!succeeded(rc)) {
    *failure = readFailure(SQL_HANDLE_STMT, statement, &driverText);
    return false;
  }
  if (column->indicator > 0) *value = fixedText(*column);
  return true;
}

}  // namespace

bool fetchRows(SQLHSTMT statement, const DriverText& driverText, CDataCommand::RowSink* sink,
               Failure* failure) {
  Failure failed;
  auto fail = [&](const Failure& why) {
    logFailure(why);
    if (failure != nullptr) *failure = why;
    // Nothing may point at the buffers once they are freed.
    EDA_ODBC(SQLFreeStmt, statement, SQL_UNBIND);
    return false;
  };
  SQLSMALLINT count = 0;
  if (!succeeded(EDA_ODBC(SQLNumResultCols, statement, &count))) {
    return fail(readFailure(SQL_HANDLE_STMT, statement, &driverText));
  }
  // The bound buffers must stay at fixed addresses until the statement is freed or unbound.
  std::vector<std::unique_ptr<Column>> columns;
  std::vector<std::u16string> names;
  bool binding = true;
  for (SQLUSMALLINT number = 1; number <= static_cast<SQLUSMALLINT>(count); ++number) {
    auto column = std::make_unique<Column>();
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;  // only the size of a bound text buffer: see the top of this file
    if (!succeeded(driverText.describeColumn(statement, number, &column->name, &sqlType, &size))) {
      return fail(readFailure(SQL_HANDLE_STMT, statement, &driverText));
    }
    column->cType = cTypeFor(sqlType);
    if (column->isText() && !driverText.bindsText()) binding = false;
    column->bound = binding;
    SQLRETURN bound = SQL_SUCCESS;
    if (column->bound && column->isText()) {
      column->text.assign(
          driverText.bufferBytes(size > 0 && size < kBoundTextCharacters ? size
                                                                         : kBoundTextCharacters),
          0);
      bound = EDA_ODBC(SQLBindCol, statement, number, driverText.cType(), column->text.data(),
                       static_cast<SQLLEN>(column->text.size()), &column->indicator);
    } else if (column->bound) {
      bound = EDA_ODBC(SQLBindCol, statement, number, column->cType, &column->fixed,
                       column->fixedBytes(), &column->indicator);
    }
    if (!succeeded(bound)) {
      column->bound = false;
      binding = false;
    }
    names.push_back(column->name);
    columns.push_back(std::move(column));
  }
  sink->columns(names);

  std::vector<char> part;  // reused by every text value of the result
  std::vector<std::u16string> values(columns.size());
  for (;;) {
    const SQLRETURN rc = EDA_ODBC(SQLFetch, statement);
    if (rc == SQL_NO_DATA) break;
    if (!succeeded(rc)) return fail(readFailure(SQL_HANDLE_STMT, statement, &driverText));
    values.resize(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
      Column& column = *columns[i];
      std::u16string& value = values[i];
      if (column.bound && column.isText()) {
        if (!column.cutShort(driverText)) {
          value = driverText.decode(column.text.data(), column.indicator, column.text.size());
        } else if (!unboundValue(driverText, statement, static_cast<SQLUSMALLINT>(i + 1), &column,
                                 &part, &value, &failed)) {
          return fail(failed);
        }
      } else if (column.bound) {
        value.clear();
        if (column.indicator > 0) value = fixedText(column);
      } else if (!unboundValue(driverText, statement, static_cast<SQLUSMALLINT>(i + 1), &column,
                               &part, &value, &failed)) {
        return fail(failed);
      }
    }
    sink->row(&values);
  }
  EDA_ODBC(SQLFreeStmt, statement, SQL_UNBIND);
  return true;
}

bool fetchRows(SQLHSTMT statement, const DriverText& driverText,
               std::vector<CDataCommand::ResultRow>* rows, Failure* failure) {
  // Rows as (column name, value) pairs, for the small results of catalog and probe queries.
  class Collect : public CDataCommand::RowSink {
   public:
    explicit Collect(std::vector<CDataCommand::ResultRow>* rows) : rows_(rows) {}
    void columns(const std::vector<std::u16string>& names) override { names_ = names; }
    void row(std::vector<std::u16string>* values) override {
      CDataCommand::ResultRow row;
      row.reserve(names_.size());
      for (size_t i = 0; i < names_.size(); ++i)
        row.emplace_back(names_[i], std::move((*values)[i]));
      rows_->push_back(std::move(row));
    }

   private:
    std::vector<CDataCommand::ResultRow>* rows_;
    std::vector<std::u16string> names_;
  };
  rows->clear();
  Collect collect(rows);
  if (fetchRows(statement, driverText, &collect, failure)) return true;
  // The rows before a failure are no result, and a caller must not take them for one.
  rows->clear();
  return false;
}

}  // namespace odbc
