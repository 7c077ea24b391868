#include "adapter/schema_catalog.h"

#include "adapter/odbc_command.h"
#include "adapter/result_row.h"
#include "util/wide_text.h"

namespace {

std::u16string folded(const std::u16string& name) {
  std::u16string text = name;
  for (char16_t& c : text) c = foldCase(c);
  return text;
}

}  // namespace

bool SchemaCatalog::read(CODBCCommand* command, bool namesIgnoreCase,
                         const std::u16string& identityQuery, const std::u16string& keyQuery) {
  namesIgnoreCase_ = namesIgnoreCase;
  knowsIdentities_ = false;
  knowsKeys_ = false;
  keys_.clear();
  tableNames_.clear();
  columns_.clear();
  identities_.clear();
  foldedNames_.clear();
  command->queryTables();
  tableNames_ = command->getColumnValues(u"TABLE_NAME");
  if (tableNames_.empty()) return true;
  // Views and the database's own tables come with the columns of every table; only base tables
  // count, as they do for the table list.
  for (const std::u16string& table : tableNames_) {
    columns_[table];
    foldedNames_.emplace(folded(table), table);
  }
  command->queryColumns(u"%");
  for (auto& row : command->takeRows()) {
    auto table = columns_.find(resultValue(row, u"TABLE_NAME"));
    if (table != columns_.end()) table->second.push_back(std::move(row));
  }
  // A table always has a column: one without any was missed by the read of all columns (the
  // SQLite driver gives up on every table when one view is broken), so it is asked on its own.
  for (auto& [table, rows] : columns_) {
    if (rows.empty() && command->queryColumns(table) > 0) rows = command->takeRows();
  }
  if (!identityQuery.empty()) {
    if (!readPairs(command, identityQuery, &identities_)) return false;
    knowsIdentities_ = true;
  }
  if (!keyQuery.empty()) {
    if (!readPairs(command, keyQuery, &keys_)) return false;
    knowsKeys_ = true;
  }
  return true;
}

bool SchemaCatalog::readPairs(CODBCCommand* command, const std::u16string& query,
                              ColumnsByTable* out) {
  if (!command->executeQuery(query)) return false;
  for (const auto& row : command->getRows()) {
    if (row.size() >= 2) (*out)[row[0].second].push_back(row[1].second);
  }
  return true;
}

std::vector<std::u16string> SchemaCatalog::find(const ColumnsByTable& map,
                                                const std::u16string& table) const {
  auto columns = map.find(catalogName(table));
  return columns != map.end() ? columns->second : std::vector<std::u16string>();
}

std::u16string SchemaCatalog::catalogName(const std::u16string& table) const {
  if (columns_.count(table) > 0) return table;
  if (!namesIgnoreCase_) return std::u16string();
  auto name = foldedNames_.find(folded(table));
  return name != foldedNames_.end() ? name->second : std::u16string();
}

const std::vector<CDataCommand::ResultRow>& SchemaCatalog::columnRows(
    const std::u16string& table) const {
  static const std::vector<CDataCommand::ResultRow> kNone;
  auto rows = columns_.find(catalogName(table));
  return rows != columns_.end() ? rows->second : kNone;
}

std::vector<std::u16string> SchemaCatalog::columnNames(const std::u16string& table) const {
  std::vector<std::u16string> names;
  for (const auto& row : columnRows(table)) names.push_back(resultValue(row, u"COLUMN_NAME"));
  return names;
}

std::vector<std::u16string> SchemaCatalog::identityColumns(const std::u16string& table) const {
  return find(identities_, table);
}

std::vector<std::u16string> SchemaCatalog::keyColumns(const std::u16string& table) const {
  return find(keys_, table);
}
