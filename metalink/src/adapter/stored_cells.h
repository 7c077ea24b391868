// Prints of the cells a table holds, so that an import can leave alone a row whose stored cells
// already are what it would write, without keeping a copy of the table's texts: one 64-bit print
// per stored cell, of the value as the column's rule compares it (value_rules.h).
//
// A row is the same only when every cell the import would write is in a printed column and its
// print equals the stored one: a stored NULL never equals a text (the import writes '' for an
// empty cell), a stored value the rule cannot read never equals anything, and a row written since
// the read is never the same again. Two different values with one print are possible in principle
// (one pair in 2^64 per cell compared).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "adapter/value_rules.h"

class StoredCells {
 public:
  using Cells = std::vector<std::pair<std::u16string, std::u16string>>;  // (column, text)

  // Starts over with these columns and the rules by which the database compares their values.
  void reset(std::vector<std::u16string> columns, std::vector<ValueRule> rules);
  const std::vector<std::u16string>& columns() const { return columns_; }
  bool empty() const { return columns_.empty(); }

  // Prints the next stored row: `values[first + i]` is the value of columns()[i] (nullopt: NULL).
  // Rows are numbered from 0 in the order they are added.
  void addRow(const std::vector<std::optional<std::u16string>>& values, size_t first);
  // True when stored row `row` holds, in every cell of `cells`, a value the database takes as
  // equal to the text. False for a row number not read.
  bool same(long long row, const Cells& cells) const;
  // Stored row `row` has been (or is about to be) written: its prints no longer tell.
  void written(long long row);
  // Nothing is the same any more (rows may have been written where they cannot be told apart).
  void forget();

 private:
  static constexpr uint64_t kUnreadable = 0;
  static constexpr uint64_t kNull = 1;
  static uint64_t print(const std::u16string& normal);

  std::vector<std::u16string> columns_;
  std::vector<ValueRule> rules_;
  std::vector<uint64_t> prints_;  // rows * columns_.size(), row by row
  std::vector<bool> written_;
};
