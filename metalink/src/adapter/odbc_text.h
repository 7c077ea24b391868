// How text goes to the driver and comes back: the one place that decides it.
//
// ODBC drivers come in two kinds. Unicode drivers (psqlodbcw, most others) have the wide entry
// points and take UTF-16 as it is. ANSI drivers (Debian's SQLite ODBC driver is one) have only
// the narrow ones: the driver manager then converts wide text through the process's locale, which
// loses every non-ASCII character in a host that never called setlocale, and characters outside
// the BMP in any locale. Such drivers take UTF-8 unchanged through the narrow entry points.
//
// After connecting, DriverText::probe finds out which way is lossless for the driver, and every
// text that crosses the boundary afterwards passes through the chosen DriverText: statement text,
// catalog arguments, column names, parameters, fetched values and diagnostics. Nothing depends on
// the process's locale, and the library never changes it.
//
// Reading a text column (for result readers):
//   - bound:   SQLBindCol(statement, n, text.cType(), buffer, text.bufferBytes(chars), &ind),
//              then after each SQLFetch text.decode(buffer, ind, bytes);
//   - unbound: text.getData(statement, n, &value, &isNull) reads the whole value in parts.
// Writing a parameter: text.encode(value) gives the bytes to bind with text.cType() and
// text.sqlType().
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "adapter/odbc_failure.h"

namespace odbc {

enum class TextEncoding {
  kUtf16,  // wide entry points, SQL_C_WCHAR
  kUtf8,   // narrow entry points, SQL_C_CHAR, UTF-8 bytes
};

class DriverText {
 public:
  explicit DriverText(TextEncoding encoding = TextEncoding::kUtf16) : encoding_(encoding) {}

  // Decides for a connected driver (in auto-commit mode): a text with a non-ASCII BMP character
  // and one outside the BMP is selected through the wide calls; when it comes back unchanged
  // they are lossless. Otherwise the narrow calls are tried the same way with UTF-8.
  // `narrowByDefault` is taken when neither query runs (a database that needs a FROM clause).
  static DriverText probe(SQLHDBC connection, bool narrowByDefault);

  TextEncoding encoding() const { return encoding_; }
  bool wide() const { return encoding_ == TextEncoding::kUtf16; }
  // Whether result readers may bind text columns: the driver lets SQLGetData read a bound column
  // again (SQL_GD_BOUND), which is how a value longer than its bound buffer is read whole.
  // Decided by probe; false otherwise.
  bool bindsText() const { return bindsText_; }

  // Statements.
  SQLRETURN execDirect(SQLHSTMT statement, const std::u16string& sql) const;
  SQLRETURN prepare(SQLHSTMT statement, const std::u16string& sql) const;

  // Catalog functions; an empty table type or name stands for "any".
  SQLRETURN tables(SQLHSTMT statement, const std::u16string& tableType) const;
  SQLRETURN columns(SQLHSTMT statement, const std::u16string& table) const;
  SQLRETURN primaryKeys(SQLHSTMT statement, const std::u16string& table) const;
  SQLRETURN statistics(SQLHSTMT statement, const std::u16string& table) const;
  SQLRETURN typeInfo(SQLHSTMT statement) const;
  // SQLGetInfo of a text item; empty when the call fails.
  std::u16string info(SQLHDBC connection, SQLUSMALLINT item) const;
  // The name of result column `number` and its SQL type and size (SQLDescribeCol).
  SQLRETURN describeColumn(SQLHSTMT statement, SQLUSMALLINT number, std::u16string* name,
                           SQLSMALLINT* sqlType, SQLULEN* size) const;
  // A text attribute of a result column (SQLColAttribute, e.g. SQL_DESC_LABEL).
  SQLRETURN columnLabel(SQLHSTMT statement, SQLUSMALLINT number, std::u16string* label) const;
  // One diagnostic record; false when there is none.
  bool diagnosticRecord(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record,
                        std::string* sqlState, SQLINTEGER* nativeCode, std::string* message) const;

  // Values. The C type of text buffers and the SQL type of text parameters.
  SQLSMALLINT cType() const { return wide() ? SQL_C_WCHAR : SQL_C_CHAR; }
  SQLSMALLINT sqlType() const { return wide() ? SQL_WVARCHAR : SQL_VARCHAR; }
  // Bytes a bound buffer needs for a value of up to `characters` characters, terminator included.
  size_t bufferBytes(size_t characters) const;
  // The value in a bound buffer of `bufferBytes` bytes after a fetch; empty for NULL. Read up to
  // the terminator, so a driver's byte count in `indicator` cannot overstate it.
  std::u16string decode(const void* buffer, SQLLEN indicator, size_t bufferBytes) const;
  // Reads the whole value of an unbound column with SQLGetData, in parts. False when the driver
  // failed (the failure is in *failure when given); *isNull tells NULL from the empty text.
  bool getData(SQLHSTMT statement, SQLUSMALLINT number, std::u16string* value, bool* isNull,
               Failure* failure = nullptr) const;
  // The same through a caller's buffer, so that a result read value by value allocates the
  // buffer once.
  bool getData(SQLHSTMT statement, SQLUSMALLINT number, std::vector<char>* buffer,
               std::u16string* value, bool* isNull, Failure* failure = nullptr) const;
  // The bytes of a parameter value in this encoding, without terminator.
  std::string encode(const std::u16string& text) const;

 private:
  TextEncoding encoding_;
  bool bindsText_ = false;
};

}  // namespace odbc
