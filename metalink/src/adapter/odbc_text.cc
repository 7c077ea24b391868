#include "adapter/odbc_text.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "adapter/odbc_api.h"
#include "platform/text.h"

namespace odbc {
namespace {

// On unixODBC SQLWCHAR is two bytes, the same as char16_t.
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "SQLWCHAR must be UTF-16");

// Bytes read per SQLGetData call for long values.
constexpr size_t kPartBytes = 16384;

SQLWCHAR* wideArgument(const std::u16string& text) {
  return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(text.c_str()));
}
SQLCHAR* narrowArgument(const std::string& text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}
// A catalog argument: null for "any".
SQLWCHAR* wideName(const std::u16string& text) {
  return text.empty() ? nullptr : wideArgument(text);
}
SQLCHAR* narrowName(const std::string& text) {
  return text.empty() ? nullptr : narrowArgument(text);
}
SQLSMALLINT shortLength(size_t units) { return static_cast<SQLSMALLINT>(units); }
SQLINTEGER longLength(size_t units) { return static_cast<SQLINTEGER>(units); }

std::u16string wideUpToTerminator(const SQLWCHAR* data, size_t capacityUnits) {
  const auto* begin = reinterpret_cast<const char16_t*>(data);
  size_t units = 0;
  while (units < capacityUnits && begin[units] != u'\0') ++units;
  return std::u16string(begin, units);
}
std::string narrowUpToTerminator(const SQLCHAR* data, size_t capacityBytes) {
  const auto* begin = reinterpret_cast<const char*>(data);
  return std::string(begin, strnlen(begin, capacityBytes));
}

}  // namespace

namespace {

// Whether a text selected through `text` comes back unchanged.
bool roundTrips(SQLHDBC connection, const DriverText& text, const std::u16string& value) {
  StatementHandle statement(connection);
  if (!statement.valid()) return false;
  if (!succeeded(text.execDirect(statement.get(), u"SELECT '" + value + u"'"))) return false;
  if (!succeeded(EDA_ODBC(SQLFetch, statement.get()))) return false;
  std::u16string back;
  bool isNull = false;
  return text.getData(statement.get(), 1, &back, &isNull) && !isNull && back == value;
}

}  // namespace

DriverText DriverText::probe(SQLHDBC connection, bool narrowByDefault) {
  // Ω is outside ASCII, U+1F600 outside the BMP: a conversion through a locale or through UCS-2
  // loses one of them. The text makes a real round trip through the driver's parser and its
  // result (SQLNativeSql would be cheaper, but one widespread driver writes past its buffers).
  static const std::u16string kSample = u"\u03a9\U0001F600";
  DriverText wideText(TextEncoding::kUtf16);
  DriverText narrowText(TextEncoding::kUtf8);
  // A database that cannot select without a table says nothing either way.
  DriverText chosen = roundTrips(connection, wideText, kSample)     ? wideText
                      : roundTrips(connection, narrowText, kSample) ? narrowText
                      : narrowByDefault                             ? narrowText
                                                                    : wideText;
  SQLUINTEGER extensions = 0;
  chosen.bindsText_ = succeeded(EDA_ODBC(SQLGetInfoW, connection, SQL_GETDATA_EXTENSIONS,
                                         &extensions, sizeof extensions, nullptr)) &&
                      (extensions & SQL_GD_BOUND) != 0;
  return chosen;
}

SQLRETURN DriverText::execDirect(SQLHSTMT statement, const std::u16string& sql) const {
  if (wide()) {
    return EDA_ODBC(SQLExecDirectW, statement, wideArgument(sql), longLength(sql.size()));
  }
  const std::string text = platform::utf16ToUtf8(sql);
  return EDA_ODBC(SQLExecDirect, statement, narrowArgument(text), longLength(text.size()));
}

SQLRETURN DriverText::prepare(SQLHSTMT statement, const std::u16string& sql) const {
  if (wide()) return EDA_ODBC(SQLPrepareW, statement, wideArgument(sql), longLength(sql.size()));
  const std::string text = platform::utf16ToUtf8(sql);
  return EDA_ODBC(SQLPrepare, statement, narrowArgument(text), longLength(text.size()));
}

SQLRETURN DriverText::tables(SQLHSTMT statement, const std::u16string& tableType) const {
  if (wide()) {
    return EDA_ODBC(SQLTablesW, statement, nullptr, 0, nullptr, 0, nullptr, 0, wideName(tableType),
                    SQL_NTS);
  }
  const std::string type = platform::utf16ToUtf8(tableType);
  return EDA_ODBC(SQLTables, statement, nullptr, 0, nullptr, 0, nullptr, 0, narrowName(type),
                  SQL_NTS);
}

SQLRETURN DriverText::columns(SQLHSTMT statement, const std::u16string& table) const {
  if (wide()) {
    return EDA_ODBC(SQLColumnsW, statement, nullptr, 0, nullptr, 0, wideName(table),
                    shortLength(table.size()), nullptr, 0);
  }
  const std::string name = platform::utf16ToUtf8(table);
  return EDA_ODBC(SQLColumns, statement, nullptr, 0, nullptr, 0, narrowName(name),
                  shortLength(name.size()), nullptr, 0);
}

SQLRETURN DriverText::primaryKeys(SQLHSTMT statement, const std::u16string& table) const {
  if (wide()) {
    return EDA_ODBC(SQLPrimaryKeysW, statement, nullptr, 0, nullptr, 0, wideName(table),
                    shortLength(table.size()));
  }
  const std::string name = platform::utf16ToUtf8(table);
  return EDA_ODBC(SQLPrimaryKeys, statement, nullptr, 0, nullptr, 0, narrowName(name),
                  shortLength(name.size()));
}

SQLRETURN DriverText::statistics(SQLHSTMT statement, const std::u16string& table) const {
  if (wide()) {
    return EDA_ODBC(SQLStatisticsW, statement, nullptr, 0, nullptr, 0, wideName(table),
                    shortLength(table.size()), SQL_INDEX_UNIQUE, SQL_QUICK);
  }
  const std::string name = platform::utf16ToUtf8(table);
  return EDA_ODBC(SQLStatistics, statement, nullptr, 0, nullptr, 0, narrowName(name),
                  shortLength(name.size()), SQL_INDEX_UNIQUE, SQL_QUICK);
}

SQLRETURN DriverText::typeInfo(SQLHSTMT statement) const {
  return wide() ? EDA_ODBC(SQLGetTypeInfoW, statement, SQL_ALL_TYPES)
                : EDA_ODBC(SQLGetTypeInfo, statement, SQL_ALL_TYPES);
}

std::u16string DriverText::info(SQLHDBC connection, SQLUSMALLINT item) const {
  if (connection == SQL_NULL_HDBC) return std::u16string();
  SQLSMALLINT length = 0;
  // The buffer length is given one unit short, so a truncated text keeps its terminator.
  if (wide()) {
    SQLWCHAR buffer[512] = {};
    if (!succeeded(EDA_ODBC(SQLGetInfoW, connection, item, buffer,
                            static_cast<SQLSMALLINT>(sizeof buffer - sizeof *buffer), &length))) {
      return std::u16string();
    }
    return wideUpToTerminator(buffer, 511);
  }
  SQLCHAR buffer[1024] = {};
  if (!succeeded(EDA_ODBC(SQLGetInfo, connection, item, buffer,
                          static_cast<SQLSMALLINT>(sizeof buffer - 1), &length))) {
    return std::u16string();
  }
  return platform::utf8ToUtf16(narrowUpToTerminator(buffer, 1023));
}

SQLRETURN DriverText::describeColumn(SQLHSTMT statement, SQLUSMALLINT number, std::u16string* name,
                                     SQLSMALLINT* sqlType, SQLULEN* size) const {
  SQLSMALLINT nameLength = 0;
  SQLSMALLINT digits = 0;
  SQLSMALLINT nullable = 0;
  SQLRETURN rc;
  if (wide()) {
    SQLWCHAR buffer[512] = {};
    rc = EDA_ODBC(SQLDescribeColW, statement, number, buffer, shortLength(511), &nameLength,
                  sqlType, size, &digits, &nullable);
    *name = wideUpToTerminator(buffer, 511);
  } else {
    SQLCHAR buffer[1024] = {};
    rc = EDA_ODBC(SQLDescribeCol, statement, number, buffer, shortLength(1023), &nameLength,
                  sqlType, size, &digits, &nullable);
    *name = platform::utf8ToUtf16(narrowUpToTerminator(buffer, 1023));
  }
  return rc;
}

SQLRETURN DriverText::columnLabel(SQLHSTMT statement, SQLUSMALLINT number,
                                  std::u16string* label) const {
  SQLSMALLINT length = 0;
  SQLRETURN rc;
  if (wide()) {
    SQLWCHAR buffer[256] = {};
    rc = EDA_ODBC(SQLColAttributeW, statement, number, SQL_DESC_LABEL, buffer,
                  static_cast<SQLSMALLINT>(sizeof buffer - sizeof *buffer), &length, nullptr);
    *label = wideUpToTerminator(buffer, 255);
  } else {
    SQLCHAR buffer[1024] = {};
    rc = EDA_ODBC(SQLColAttribute, statement, number, SQL_DESC_LABEL, buffer,
                  static_cast<SQLSMALLINT>(sizeof buffer - 1), &length, nullptr);
    *label = platform::utf8ToUtf16(narrowUpToTerminator(buffer, 1023));
  }
  return rc;
}

bool DriverText::diagnosticRecord(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record,
                                  std::string* sqlState, SQLINTEGER* nativeCode,
                                  std::string* message) const {
  SQLSMALLINT length = 0;
  // Called without EDA_ODBC: the diagnostics of a failing diagnostics call would recurse.
  if (wide()) {
    SQLWCHAR state[6] = {};
    SQLWCHAR text[1024] = {};
    if (!succeeded(SQLGetDiagRecW(handleType, handle, record, state, nativeCode, text,
                                  shortLength(1023), &length))) {
      return false;
    }
    *sqlState = platform::utf16ToUtf8(wideUpToTerminator(state, 5));
    *message = platform::utf16ToUtf8(wideUpToTerminator(text, 1023));
    return true;
  }
  SQLCHAR state[6] = {};
  SQLCHAR text[2048] = {};
  if (!succeeded(SQLGetDiagRec(handleType, handle, record, state, nativeCode, text,
                               shortLength(2047), &length))) {
    return false;
  }
  *sqlState = narrowUpToTerminator(state, 5);
  // Through the UTF-16 round trip, so that bytes that are no UTF-8 cannot reach the log.
  *message = platform::utf16ToUtf8(platform::utf8ToUtf16(narrowUpToTerminator(text, 2047)));
  return true;
}

size_t DriverText::bufferBytes(size_t characters) const {
  // A character takes up to two UTF-16 units or four UTF-8 bytes (a binary byte two hex digits).
  return wide() ? (2 * characters + 1) * sizeof(SQLWCHAR) : 4 * characters + 1;
}

std::u16string DriverText::decode(const void* buffer, SQLLEN indicator, size_t bytes) const {
  if (indicator == SQL_NULL_DATA || bytes == 0) return std::u16string();
  if (wide()) {
    return wideUpToTerminator(static_cast<const SQLWCHAR*>(buffer), bytes / sizeof(SQLWCHAR) - 1);
  }
  return platform::utf8ToUtf16(
      narrowUpToTerminator(static_cast<const SQLCHAR*>(buffer), bytes - 1));
}

bool DriverText::getData(SQLHSTMT statement, SQLUSMALLINT number, std::u16string* value,
                         bool* isNull, Failure* failure) const {
  std::vector<char> part;
  return getData(statement, number, &part, value, isNull, failure);
}

bool DriverText::getData(SQLHSTMT statement, SQLUSMALLINT number, std::vector<char>* buffer,
                         std::u16string* value, bool* isNull, Failure* failure) const {
  value->clear();
  *isNull = false;
  std::vector<char>& part = *buffer;
  if (part.size() != kPartBytes) part.assign(kPartBytes, 0);
  // The parts are gathered as the driver's units and converted once: a UTF-8 character may be
  // cut between two parts.
  std::u16string wideValue;
  std::string narrowValue;
  for (;;) {
    part[0] = part[1] = 0;
    SQLLEN indicator = 0;
    const SQLRETURN rc = EDA_ODBC(SQLGetData, statement, number, cType(), part.data(),
                                  static_cast<SQLLEN>(part.size()), &indicator);
    if (rc == SQL_NO_DATA) break;  // the previous part was the last one
    if (!succeeded(rc)) {
      if (failure != nullptr) *failure = readFailure(SQL_HANDLE_STMT, statement, this);
      return false;
    }
    if (indicator == SQL_NULL_DATA) {
      *isNull = true;
      return true;
    }
    if (wide()) {
      wideValue += wideUpToTerminator(reinterpret_cast<const SQLWCHAR*>(part.data()),
                                      part.size() / sizeof(SQLWCHAR) - 1);
    } else {
      narrowValue +=
          narrowUpToTerminator(reinterpret_cast<const SQLCHAR*>(part.data()), part.size() - 1);
    }
    // SQL_SUCCESS_WITH_INFO: the value was cut at the end of the buffer, and more follows.
    if (rc == SQL_SUCCESS) break;
  }
  *value = wide() ? std::move(wideValue) : platform::utf8ToUtf16(narrowValue);
  return true;
}

std::string DriverText::encode(const std::u16string& text) const {
  if (!wide()) return platform::utf16ToUtf8(text);
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
}

}  // namespace odbc
