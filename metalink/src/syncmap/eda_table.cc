#include "syncmap/eda_table.h"

CEDAColumn::CEDAColumn(CEDATable* table, const std::string& name) : name_(name), table_(table) {}

CEDATable::CEDATable(const std::string& name) : name_(name) {}

CEDAColumn* CEDATable::getColumn(const std::string& name) const {
  const auto it = columns_.find(name);
  return it == columns_.end() ? nullptr : it->second.get();
}

CEDAColumn* CEDATable::addColumn(std::unique_ptr<CEDAColumn> column) {
  CEDAColumn* added = column.get();
  if (added == nullptr) return nullptr;
  auto& slot = columns_[added->getName()];
  if (slot == nullptr) {
    slot = std::move(column);
  } else {
    unlisted_.push_back(std::move(column));
  }
  return added;
}

std::vector<std::string> CEDATable::getColumnNames() const {
  std::vector<std::string> names;
  names.reserve(columns_.size());
  for (const auto& entry : columns_) names.push_back(entry.first);
  return names;
}
