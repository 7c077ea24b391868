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
                         const std::u16string& identityQuery) {
  namesIgnoreCase_ = namesIgnoreCase;
  knowsIdentities_ = false;
  identityTables_.clear();
  columns_.clear();
  foldedNames_.clear();
  command->queryTables();
  const std::vector<std::u16string> tables = command->getColumnValues(u"TABLE_NAME");
  if (tables.empty()) return true;
  // Views and the database's own tables come with the columns of every table; only base tables
  // count, as they do for the table list.
  const std::set<std::u16string> baseTables(tables.begin(), tables.end());
  for (const std::u16string& table : tables) columns_[table];
  command->queryColumns(u"%");
  for (const auto& row : command->getRows()) {
    const std::u16string table = resultValue(row, u"TABLE_NAME");
    if (baseTables.count(table) == 0) continue;
    columns_[table].push_back(resultValue(row, u"COLUMN_NAME"));
  }
  for (const auto& entry : columns_) foldedNames_.emplace(folded(entry.first), entry.first);
  if (identityQuery.empty()) return true;
  if (!command->executeQuery(identityQuery)) return false;
  for (const auto& row : command->getRows()) {
    if (!row.empty()) identityTables_.insert(row.front().second);
  }
  knowsIdentities_ = true;
  return true;
}

std::u16string SchemaCatalog::catalogName(const std::u16string& table) const {
  if (columns_.count(table) > 0) return table;
  if (!namesIgnoreCase_) return std::u16string();
  auto name = foldedNames_.find(folded(table));
  return name != foldedNames_.end() ? name->second : std::u16string();
}

bool SchemaCatalog::hasIdentity(const std::u16string& table) const {
  return identityTables_.count(catalogName(table)) > 0;
}

const std::vector<std::u16string>* SchemaCatalog::columns(const std::u16string& table) const {
  const std::u16string name = catalogName(table);
  return name.empty() ? nullptr : &columns_.at(name);
}
