#include "adapter/stored_cells.h"

#include <functional>

void StoredCells::reset(std::vector<std::u16string> columns, std::vector<ValueRule> rules) {
  columns_ = std::move(columns);
  rules_ = std::move(rules);
  prints_.clear();
  written_.clear();
}

uint64_t StoredCells::print(const std::u16string& normal) {
  const uint64_t hash = std::hash<std::u16string>()(normal);
  // The two smallest values mark what never equals a text.
  return hash <= kNull ? hash + 2 : hash;
}

void StoredCells::addRow(const std::vector<std::optional<std::u16string>>& values, size_t first) {
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (first + i >= values.size() || !values[first + i]) {
      prints_.push_back(kNull);
      continue;
    }
    const auto normal = normaliseValue(rules_[i], *values[first + i]);
    prints_.push_back(normal ? print(*normal) : kUnreadable);
  }
  written_.push_back(false);
}

bool StoredCells::same(long long row, const Cells& cells) const {
  if (row < 0 || static_cast<size_t>(row) >= written_.size() || written_[row]) return false;
  const uint64_t* stored = prints_.data() + static_cast<size_t>(row) * columns_.size();
  for (const auto& [column, text] : cells) {
    size_t i = 0;
    while (i < columns_.size() && columns_[i] != column) ++i;
    if (i == columns_.size()) return false;
    const auto normal = normaliseValue(rules_[i], text);
    if (!normal || print(*normal) != stored[i]) return false;
  }
  return true;
}

void StoredCells::written(long long row) {
  if (row >= 0 && static_cast<size_t>(row) < written_.size()) written_[row] = true;
}

void StoredCells::forget() { reset({}, {}); }
