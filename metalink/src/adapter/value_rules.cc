#include "adapter/value_rules.h"

namespace {

bool contains(const std::u16string& upper, const char16_t* part) {
  return upper.find(part) != std::u16string::npos;
}

std::u16string upperAscii(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return text;
}

// SQLite's rules for the affinity of a declared column type, in their order.
std::optional<ValueRule> sqliteRule(const std::u16string& declared) {
  const std::u16string type = upperAscii(declared);
  if (contains(type, u"INT")) return ValueRule::kInteger18;
  if (contains(type, u"CHAR") || contains(type, u"CLOB") || contains(type, u"TEXT")) {
    return ValueRule::kText;
  }
  // BLOB or no type compares numbers and text as different things, REAL and NUMERIC convert
  // text that looks like a number in ways not modelled here.
  return std::nullopt;
}

std::optional<ValueRule> postgresRule(const std::u16string& type) {
  if (type == u"smallint") return ValueRule::kInteger4;
  if (type == u"integer") return ValueRule::kInteger9;
  if (type == u"bigint") return ValueRule::kInteger18;
  if (type == u"text" || type.rfind(u"character varying", 0) == 0) return ValueRule::kText;
  if (type == u"character" || type.rfind(u"character(", 0) == 0) {
    return ValueRule::kTrailingBlanks;
  }
  return std::nullopt;
}

size_t maxDigits(ValueRule rule) {
  switch (rule) {
    case ValueRule::kInteger4:
      return 4;
    case ValueRule::kInteger9:
      return 9;
    default:
      return 18;
  }
}

}  // namespace

std::optional<ValueRule> valueRule(bool sqlite, const std::u16string& type) {
  return sqlite ? sqliteRule(type) : postgresRule(type);
}

std::optional<std::u16string> normaliseValue(ValueRule rule, const std::u16string& value) {
  if (rule == ValueRule::kText) return value;
  if (rule == ValueRule::kTrailingBlanks) {
    const size_t end = value.find_last_not_of(u' ');
    return end == std::u16string::npos ? std::u16string() : value.substr(0, end + 1);
  }
  // A whole number in plain digits, and small enough for every integer type of the kind; signs
  // other than a leading minus, blanks and exponents are left to the database.
  const bool negative = !value.empty() && value[0] == u'-';
  const size_t first = negative ? 1 : 0;
  if (value.size() == first) return std::nullopt;
  for (size_t i = first; i < value.size(); ++i) {
    if (value[i] < u'0' || value[i] > u'9') return std::nullopt;
  }
  size_t start = value.find_first_not_of(u'0', first);
  if (start == std::u16string::npos) return std::u16string(u"0");
  if (value.size() - start > maxDigits(rule)) return std::nullopt;
  return (negative ? u"-" : u"") + value.substr(start);
}

bool sqliteDeclaresCollation(const std::u16string& createText) {
  return contains(upperAscii(createText), u"COLLATE");
}
