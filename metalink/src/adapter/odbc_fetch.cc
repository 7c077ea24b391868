// Turning a result set into text rows.
//
// Binding table (SQL type reported by SQLDescribeColW -> C type fetched):
//   NUMERIC, DECIMAL, FLOAT, REAL, DOUBLE          -> SQL_C_DOUBLE, written as "%g"
//   DATETIME (9), TYPE_DATE, TYPE_TIMESTAMP        -> SQL_C_TIMESTAMP, written as
//                                                     "YYYY-MM-DDThh:mm:ss" (fraction dropped)
//   BIT, TINYINT, INTEGER, SMALLINT                -> SQL_C_SLONG, written in decimal
//   everything else                                -> SQL_C_WCHAR, the text itself
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
#include "adapter/odbc_value_text.h"
#include "util/text_conversion.h"

namespace odbc {
namespace {

// Largest column size, in characters, that gets a bound buffer.
constexpr SQLULEN kMaxBoundChars = 4000;
// Characters read per SQLGetData call for long text.
constexpr size_t kPartChars = 8192;

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
      return SQL_C_WCHAR;
  }
}

struct Column {
  std::u16string name;
  SQLSMALLINT cType = SQL_C_WCHAR;
  bool bound = false;
  // Bound columns only: the buffer (SQLWCHAR units for text, bytes otherwise as a union).
  std::vector<SQLWCHAR> text;
  union {
    double number;
    SQL_TIMESTAMP_STRUCT timestamp;
    SQLINTEGER integer;
  } fixed{};
  SQLLEN indicator = 0;

  SQLPOINTER target() {
    return cType == SQL_C_WCHAR ? static_cast<SQLPOINTER>(text.data())
                                : static_cast<SQLPOINTER>(&fixed);
  }
  SQLLEN targetBytes() const {
    if (cType == SQL_C_WCHAR) return static_cast<SQLLEN>(text.size() * sizeof(SQLWCHAR));
    if (cType == SQL_C_DOUBLE) return sizeof(double);
    if (cType == SQL_C_TIMESTAMP) return sizeof(SQL_TIMESTAMP_STRUCT);
    return sizeof(SQLINTEGER);
  }
};

std::u16string wideText(const SQLWCHAR* data, size_t units) {
  const auto* begin = reinterpret_cast<const char16_t*>(data);
  // The text ends at its terminator, as a C string would. Measured first: a text made from the
  // whole buffer and cut afterwards would keep the buffer's size for the life of the value.
  size_t length = 0;
  while (length < units && begin[length] != u'\0') ++length;
  return std::u16string(begin, length);
}

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
std::u16string boundText(const Column& column) {
  if (column.indicator <= 0) return std::u16string();
  if (column.cType != SQL_C_WCHAR) return fixedText(column);
  // Up to the terminator (see unboundText on the indicator of ANSI drivers).
  return wideText(column.text.data(), column.text.size() - 1);
}

// The value of an unbound column, read with SQLGetData; long text comes in parts.
std::u16string unboundText(SQLHSTMT statement, SQLUSMALLINT number, Column* column) {
  if (column->cType != SQL_C_WCHAR) {
    column->indicator = 0;
    const SQLRETURN rc = EDA_ODBC(SQLGetData, statement, number, column->cType, column->target(),
                                  column->targetBytes(), &column->indicator);
    if (!succeeded(rc)) {
      if (rc == SQL_ERROR) logDiagnostics(SQL_HANDLE_STMT, statement);
      return std::u16string();
    }
    return column->indicator <= 0 ? std::u16string() : fixedText(*column);
  }
  std::vector<SQLWCHAR> part(kPartChars + 1);
  const SQLLEN partBytes = static_cast<SQLLEN>(part.size() * sizeof(SQLWCHAR));
  std::u16string value;
  for (;;) {
    part[0] = 0;
    SQLLEN indicator = 0;
    const SQLRETURN rc =
        EDA_ODBC(SQLGetData, statement, number, SQL_C_WCHAR, part.data(), partBytes, &indicator);
    if (rc == SQL_NO_DATA) break;  // the previous part was the last one
    if (!succeeded(rc)) {
      logDiagnostics(SQL_HANDLE_STMT, statement);
      break;
    }
    if (indicator == SQL_NULL_DATA) return std::u16string();
    // The part's length is taken from its terminator, not from the indicator: behind an ANSI
    // driver unixODBC reports the driver's byte counts, which overstate UTF-16 lengths.
    const auto* begin = reinterpret_cast<const char16_t*>(part.data());
    size_t units = 0;
    while (units < kPartChars && begin[units] != u'\0') ++units;
    value.append(begin, units);
    // SQL_SUCCESS_WITH_INFO: the value was cut at the end of the buffer, and more follows.
    if (rc == SQL_SUCCESS) break;
  }
  return value;
}

}  // namespace

bool fetchRows(SQLHSTMT statement, std::vector<CDataCommand::ResultRow>* rows) {
  rows->clear();
  SQLSMALLINT count = 0;
  if (!succeeded(EDA_ODBC(SQLNumResultCols, statement, &count))) {
    logDiagnostics(SQL_HANDLE_STMT, statement);
    return false;
  }
  // The bound buffers must stay at fixed addresses until the statement is freed or unbound.
  std::vector<std::unique_ptr<Column>> columns;
  bool binding = true;
  for (SQLUSMALLINT number = 1; number <= static_cast<SQLUSMALLINT>(count); ++number) {
    auto column = std::make_unique<Column>();
    SQLWCHAR name[512] = {};
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    if (!succeeded(EDA_ODBC(SQLDescribeColW, statement, number, name,
                            static_cast<SQLSMALLINT>(sizeof name / sizeof *name), &nameLength,
                            &sqlType, &size, &digits, &nullable))) {
      logDiagnostics(SQL_HANDLE_STMT, statement);
    }
    column->name = wideText(name, sizeof name / sizeof *name);
    column->cType = cTypeFor(sqlType);
    if (column->cType == SQL_C_WCHAR) {
      // A character holds up to two UTF-16 units, and a binary byte two hex digits.
      if (size == 0 || size > kMaxBoundChars)
        binding = false;
      else
        column->text.assign(2 * size + 1, 0);
    }
    column->bound = binding;
    if (column->bound &&
        !succeeded(EDA_ODBC(SQLBindCol, statement, number, column->cType, column->target(),
                            column->targetBytes(), &column->indicator))) {
      logDiagnostics(SQL_HANDLE_STMT, statement);
      column->bound = false;
      binding = false;
    }
    columns.push_back(std::move(column));
  }

  for (;;) {
    const SQLRETURN rc = EDA_ODBC(SQLFetch, statement);
    if (rc == SQL_NO_DATA) break;
    if (!succeeded(rc)) {
      logDiagnostics(SQL_HANDLE_STMT, statement);
      break;
    }
    CDataCommand::ResultRow row;
    row.reserve(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
      Column& column = *columns[i];
      const auto number = static_cast<SQLUSMALLINT>(i + 1);
      row.emplace_back(column.name,
                       column.bound ? boundText(column) : unboundText(statement, number, &column));
    }
    rows->push_back(std::move(row));
  }
  // Nothing may point at the buffers once they are freed.
  EDA_ODBC(SQLFreeStmt, statement, SQL_UNBIND);
  return true;
}

}  // namespace odbc
