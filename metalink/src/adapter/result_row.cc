#include "adapter/result_row.h"

#include <climits>

#include "util/wide_text.h"

std::u16string resultValue(const CDataCommand::ResultRow& row, const std::u16string& column) {
  for (const auto& pair : row) {
    if (equalsIgnoreCase(pair.first, column)) return pair.second;
  }
  return std::u16string();
}

int resultInteger(const std::u16string& text) {
  size_t pos = 0;
  while (pos < text.size() && text[pos] == u' ') ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+')) negative = text[pos++] == u'-';
  long long value = 0;
  for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos) {
    value = value * 10 + (text[pos] - u'0');
    if (value > INT_MAX) return negative ? INT_MIN : INT_MAX;
  }
  return static_cast<int>(negative ? -value : value);
}
