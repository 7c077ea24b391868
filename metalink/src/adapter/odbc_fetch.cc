// Turning a result set into text rows.
//
// Binding table (SQL type reported by SQLDescribeColW -> C type fetched):
//   NUMERIC, DECIMAL, FLOAT, REAL, DOUBLE          -> SQL_C_DOUBLE, written as "%g"
//   DATETIME (9), TYPE_DATE, TYPE_TIMESTAMP        -> SQL_C_TIMESTAMP, written as
//                                                     "YYYY-MM-DDThh:mm:ss" (fraction dropped)
//   BIT, TINYINT, INTEGER, SMALLINT                -> SQL_C_SLONG, written in decimal
//   everything else                                -> text, the value itself, in the driver's
//                                                     text encoding (see odbc_text.h)
// Columns are bound while they have a small, known size. From the first column that does not
// (long text and binary types report sizes up to two thousand million, some drivers none at
// all) onward, values are read with SQLGetData, text in parts through a bounded buffer; columns
// after it are read that way too because drivers need SQLGetData columns to follow the bound ones.
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

// Largest column size, in characters, that gets a bound buffer.
constexpr SQLULEN kMaxBoundChars = 4000;

// Stands for "text in the driver's encoding" until the column is bound.
constexpr SQLSMALLINT kTextType = SQL_C_WCHAR;

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
  // Bound text columns only: the buffer, in the driver's text encoding.
  std::vector<char> text;
  union {
    double number;
    SQL_TIMESTAMP_STRUCT timestamp;
    SQLINTEGER integer;
  } fixed{};
  SQLLEN indicator = 0;

  bool isText() const { return cType == kTextType; }
  SQLPOINTER target() {
    return isText() ? static_cast<SQLPOINTER>(text.data()) : static_cast<SQLPOINTER>(&fixed);
  }
  SQLLEN targetBytes() const {
    if (isText()) return static_cast<SQLLEN>(text.size());
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

// The value of a bound column after SQLFetch.
std::u16string boundText(const DriverText& driverText, const Column& column) {
  if (column.indicator <= 0) return std::u16string();
  if (!column.isText()) return fixedText(column);
  return driverText.decode(column.text.data(), column.indicator, column.text.size());
}

// The value of an unbound column, read with SQLGetData; long text comes in parts.
std::u16string unboundText(const DriverText& driverText, SQLHSTMT statement, SQLUSMALLINT number,
                           Column* column) {
  if (!column->isText()) {
    column->indicator = 0;
    const SQLRETURN rc = EDA_ODBC(SQLGetData, statement, number, column->cType, column->target(),
                                  column->targetBytes(), &column->indicator);
    if (!succeeded(rc)) {
      if (rc == SQL_ERROR) logDiagnostics(SQL_HANDLE_STMT, statement, &driverText);
      return std::u16string();
    }
    return column->indicator <= 0 ? std::u16string() : fixedText(*column);
  }
  std::u16string value;
  bool isNull = false;
  Failure failure;
  if (!driverText.getData(statement, number, &value, &isNull, &failure)) logFailure(failure);
  return value;
}

}  // namespace

bool fetchRows(SQLHSTMT statement, const DriverText& driverText,
               std::vector<CDataCommand::ResultRow>* rows, Failure* failure) {
  rows->clear();
  SQLSMALLINT count = 0;
  if (!succeeded(EDA_ODBC(SQLNumResultCols, statement, &count))) {
    const Failure logged = logDiagnostics(SQL_HANDLE_STMT, statement, &driverText);
    if (failure != nullptr) *failure = logged;
    return false;
  }
  // The bound buffers must stay at fixed addresses until the statement is freed or unbound.
  std::vector<std::unique_ptr<Column>> columns;
  bool binding = true;
  for (SQLUSMALLINT number = 1; number <= static_cast<SQLUSMALLINT>(count); ++number) {
    auto column = std::make_unique<Column>();
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    if (!succeeded(driverText.describeColumn(statement, number, &column->name, &sqlType, &size))) {
      logDiagnostics(SQL_HANDLE_STMT, statement, &driverText);
    }
    column->cType = cTypeFor(sqlType);
    if (column->isText()) {
      if (size == 0 || size > kMaxBoundChars)
        binding = false;
      else
        column->text.assign(driverText.bufferBytes(size), 0);
    }
    column->bound = binding;
    const SQLSMALLINT bindType = column->isText() ? driverText.cType() : column->cType;
    if (column->bound &&
        !succeeded(EDA_ODBC(SQLBindCol, statement, number, bindType, column->target(),
                            column->targetBytes(), &column->indicator))) {
      logDiagnostics(SQL_HANDLE_STMT, statement, &driverText);
      column->bound = false;
      binding = false;
    }
    columns.push_back(std::move(column));
  }

  for (;;) {
    const SQLRETURN rc = EDA_ODBC(SQLFetch, statement);
    if (rc == SQL_NO_DATA) break;
    if (!succeeded(rc)) {
      const Failure logged = logDiagnostics(SQL_HANDLE_STMT, statement, &driverText);
      if (failure != nullptr) *failure = logged;
      EDA_ODBC(SQLFreeStmt, statement, SQL_UNBIND);
      return false;
    }
    CDataCommand::ResultRow row;
    row.reserve(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
      Column& column = *columns[i];
      const auto number = static_cast<SQLUSMALLINT>(i + 1);
      row.emplace_back(column.name, column.bound
                                        ? boundText(driverText, column)
                                        : unboundText(driverText, statement, number, &column));
    }
    rows->push_back(std::move(row));
  }
  // Nothing may point at the buffers once they are freed.
  EDA_ODBC(SQLFreeStmt, statement, SQL_UNBIND);
  return true;
}

}  // namespace odbc
