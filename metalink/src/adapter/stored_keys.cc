#include "adapter/stored_keys.h"

#include <algorithm>
#include <set>

#include "adapter/odbc_command.h"
#include "adapter/odbc_prepared.h"
#include "adapter/sql_statements.h"
#include "util/wide_text.h"

namespace {

// Every column a row of the table would write: its cells and reference cells, not the identity.
std::vector<std::u16string> writtenColumns(const CDataTable& table) {
  const CDataColumn* identity = table.getIdentityColumn();
  std::set<std::u16string> names;
  for (const auto& row : table.getRows()) {
    for (const auto& cell : row->getValueMap()) names.insert(cell.first);
    for (const auto& reference : row->getReferencedRows()) names.insert(reference.first);
  }
  std::vector<std::u16string> columns;
  for (const auto& name : names) {
    if (identity == nullptr || !equalsIgnoreCase(name, identity->getName())) {
      columns.push_back(name);
    }
  }
  return columns;
}

}  // namespace

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

bool StoredKeys::read(CODBCCommand* odbc, const SqlStatementBuilder& sql, const CDataTable& table,
                      bool cells) {
  usable_ = false;
  byKey_.clear();
  byIdentity_.clear();
  cells_.forget();
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
        sqliteDeclaresCollation(odbc->getRows()[0][0].second)) {
      return false;
    }
  }
  if (!odbc->executeQuery(sql.columnKinds(table.getName()))) return false;
  const auto kinds = odbc->getRows();
  // The rule of a column and whether it compares text by its own collation; nullopt when the
  // table has no such column or its kind has no rule.
  const auto ruleOf = [&kinds, sqlite](const std::u16string& column,
                                       bool* collated) -> std::optional<Rule> {
    for (const auto& stored : kinds) {
      if (stored.size() < 3) return std::nullopt;
      const bool same =
          sqlite ? equalsIgnoreCase(stored[0].second, column) : stored[0].second == column;
      if (!same) continue;
      *collated = stored[2].second != u"y";
      return valueRule(sqlite, stored[1].second);
    }
    return std::nullopt;
  };
  for (const std::u16string& column : columns_) {
    bool collated = false;
    const std::optional<Rule> rule = ruleOf(column, &collated);
    if (!rule || collated) return false;
    rules_.push_back(*rule);
  }

  // The cells are compared as values, where a collation plays no part.
  std::vector<std::u16string> printed;
  std::vector<Rule> printedRules;
  const std::u16string triggers = cells ? sql.writeTriggers(table.getName()) : std::u16string();
  if (!triggers.empty() && odbc->executeQuery(triggers) && odbc->getRows().empty()) {
    for (const std::u16string& column : writtenColumns(table)) {
      bool collated = false;
      if (const std::optional<Rule> rule = ruleOf(column, &collated)) {
        printed.push_back(column);
        printedRules.push_back(*rule);
      }
    }
  }
  cells_.reset(printed, printedRules);

  // One read of identity, key values and the printed cells.
  const CDataColumn* identity = table.getIdentityColumn();
  std::vector<std::u16string> read;
  read.push_back(identity != nullptr ? identity->getName() : columns_.front());
  read.insert(read.end(), columns_.begin(), columns_.end());
  read.insert(read.end(), printed.begin(), printed.end());
  auto query = odbc->prepare(sql.selectColumns(table.getName(), read));
  long long ordinal = 0;
  const auto each = [&](const CODBCPrepared::Row& stored) {
    const long long position = ordinal++;
    if (!cells_.empty()) {
      cells_.addRow(stored, 1 + columns_.size());
      if (identity != nullptr && stored[0]) byIdentity_.emplace(*stored[0], position);
    }
    std::u16string key;
    for (size_t i = 0; i < columns_.size(); ++i) {
      // NULL equals nothing.
      const auto& value = stored[i + 1];
      const auto normal = value ? normalise(rules_[i], *value) : std::nullopt;
      if (!normal) return;
      key += *normal + u'\0';
    }
    // The database answers an existence query with the first row it finds, but an update by the
    // key writes every row that has it: rows that share a key are never left alone.
    const auto added =
        byKey_.emplace(key, Match{identity != nullptr ? stored[0].value_or(u"") : u"", position});
    if (!added.second) {
      cells_.written(added.first->second.ordinal);
      cells_.written(position);
    }
  };
  if (query == nullptr || query->runEach({}, each) == CODBCCommand::Outcome::kFailed) {
    byKey_.clear();
    byIdentity_.clear();
    cells_.forget();
    return false;
  }
  usable_ = true;
  return true;
}

long long StoredKeys::rowOfIdentity(const std::u16string& identity) const {
  const auto found = byIdentity_.find(identity);
  return found == byIdentity_.end() ? -1 : found->second;
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
