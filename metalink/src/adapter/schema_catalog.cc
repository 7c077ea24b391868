#include "adapter/schema_catalog.h"

#include <set>

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

void SchemaCatalog::read(CODBCCommand* command, bool namesIgnoreCase) {
  namesIgnoreCase_ = namesIgnoreCase;
  columns_.clear();
  foldedNames_.clear();
  command->queryTables();
  const std::vector<std::u16string> tables = command->getColumnValues(u"TABLE_NAME");
  if (tables.empty()) return;
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
}

const std::vector<std::u16string>* SchemaCatalog::columns(const std::u16string& table) const {
  auto exact = columns_.find(table);
  if (exact != columns_.end()) return &exact->second;
  if (!namesIgnoreCase_) return nullptr;
  auto name = foldedNames_.find(folded(table));
  return name != foldedNames_.end() ? &columns_.at(name->second) : nullptr;
}
