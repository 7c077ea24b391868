#include "adapter/stored_keys.h"

#include <algorithm>

#include "adapter/odbc_command.h"
#include "adapter/odbc_prepared.h"
#include "adapter/sql_statements.h"
#include "util/wide_text.h"

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
std::optional<StoredKeys::Rule> sqliteRule(const std::u16string& declared) {
  const std::u16string type = upperAscii(declared);
  if (contains(type, u"INT")) return StoredKeys::Rule::kInteger18;
  if (contains(type, u"CHAR") || contains(type, u"CLOB") || contains(type, u"TEXT")) {
    return StoredKeys::Rule::kText;
  }
  // BLOB or no type compares numbers and text as different things, REAL and NUMERIC convert
  // text that looks like a number in ways not modelled here.
  return std::nullopt;
}

std::optional<StoredKeys::Rule> postgresRule(const std::u16string& type) {
  if (type == u"smallint") return StoredKeys::Rule::kInteger4;
  if (type == u"integer") return StoredKeys::Rule::kInteger9;
  if (type == u"bigint") return StoredKeys::Rule::kInteger18;
  if (type == u"text" || type.rfind(u"character varying", 0) == 0) return StoredKeys::Rule::kText;
  if (type == u"character" || type.rfind(u"character(", 0) == 0) {
    return StoredKeys::Rule::kTrailingBlanks;
  }
  return std::nullopt;
}

size_t maxDigits(StoredKeys::Rule rule) {
  switch (rule) {
    case StoredKeys::Rule::kInteger4:
      return 4;
    case StoredKeys::Rule::kInteger9:
      return 9;
    default:
      return 18;
  }
}

}  // namespace

std::optional<std::u16string> StoredKeys::normalise(Rule rule, const std::u16string& value) {
  if (rule == Rule::kText) return value;
  if (rule == Rule::kTrailingBlanks) {
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

std::vector<std::u16string> StoredKeys::keyCells(const CDataRow& row) {
  std::vector<std::u16string> cells;
  const auto& keys = row.getKeyColumns();
  for (const auto& entry : row.getValueMap()) {
    if (std::find(keys.begin(), keys.end(), entry.first) != keys.end()) {
      cells.push_back(entry.first);
    }
  }
  return cells;
}

bool StoredKeys::read(CODBCCommand* odbc, const SqlStatementBuilder& sql, const CDataTable& table) {
  usable_ = false;
  byKey_.clear();
  columns_.clear();
  rules_.clear();
  for (const auto& row : table.getRows()) {
    columns_ = keyCells(*row);
    if (!columns_.empty()) break;
  }
  if (columns_.empty() || odbc == nullptr) return false;

  // How the database compares each key column.
  const bool sqlite = odbc->getDialect().kind() == SqlDialect::Kind::kSqlite;
  if (sqlite) {
    // A collation declared anywhere in the table may change how its text compares.
    if (!odbc->executeQuery(sql.sqliteTableSql(table.getName())) || odbc->getRows().size() != 1 ||
        contains(upperAscii(odbc->getRows()[0][0].second), u"COLLATE")) {
      return false;
    }
  }
  if (!odbc->executeQuery(sql.columnKinds(table.getName()))) return false;
  for (const std::u16string& column : columns_) {
    std::optional<Rule> rule;
    for (const auto& stored : odbc->getRows()) {
      if (stored.size() < 3) return false;
      const bool same =
          sqlite ? equalsIgnoreCase(stored[0].second, column) : stored[0].second == column;
      if (!same) continue;
      rule = sqlite ? sqliteRule(stored[1].second) : postgresRule(stored[1].second);
      if (stored[2].second != u"y") rule.reset();
      break;
    }
    if (!rule) return false;
    rules_.push_back(*rule);
  }

  // One read of identity and key values.
  const CDataColumn* identity = table.getIdentityColumn();
  std::vector<std::u16string> read;
  read.push_back(identity != nullptr ? identity->getName() : columns_.front());
  read.insert(read.end(), columns_.begin(), columns_.end());
  auto query = odbc->prepare(sql.selectColumns(table.getName(), read));
  if (query == nullptr || query->run({}) == CODBCCommand::Outcome::kFailed) return false;
  long long ordinal = 0;
  for (const auto& stored : query->rows()) {
    const long long position = ordinal++;
    std::u16string key;
    bool matchable = true;
    for (size_t i = 0; i < columns_.size() && matchable; ++i) {
      // NULL equals nothing.
      const auto& value = stored[i + 1];
      const auto normal = value ? normalise(rules_[i], *value) : std::nullopt;
      matchable = normal.has_value();
      if (matchable) key += *normal + u'\0';
    }
    if (!matchable) continue;
    // The database answers with the first row it finds.
    byKey_.emplace(key, Match{identity != nullptr ? stored[0].value_or(u"") : u"", position});
  }
  usable_ = true;
  return true;
}

std::optional<std::u16string> StoredKeys::keyOf(const CDataRow& row) const {
  if (!usable_ || keyCells(row) != columns_) return std::nullopt;
  std::u16string key;
  for (size_t i = 0; i < columns_.size(); ++i) {
    const auto normal = normalise(rules_[i], SqlStatementBuilder::cell(row, columns_[i]));
    if (!normal) return std::nullopt;
    key += *normal + u'\0';
  }
  return key;
}

StoredKeys::Lookup StoredKeys::find(const CDataRow& row, Match* match) const {
  const auto key = keyOf(row);
  if (!key) return Lookup::kAskDatabase;
  const auto found = byKey_.find(*key);
  if (found == byKey_.end()) return Lookup::kMissing;
  *match = found->second;
  return Lookup::kFound;
}

void StoredKeys::add(const CDataRow& row, const std::u16string& identity) {
  if (const auto key = keyOf(row)) byKey_.emplace(*key, Match{identity, -1});
}
