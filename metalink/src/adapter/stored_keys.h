// The rows a table already holds, found by their key values the way the database's own `=`
// finds them, from one read of the key columns and the identity; and, with the same read, prints
// of their cells (StoredCells), which tell a row the import would write unchanged.
//
// An import asks, for each row of the library, whether the database holds a row with the same
// key values. Asking the database once per row costs a round trip each; reading the key columns
// once and matching in memory costs one read per table, but it must match exactly the rows that
// `key = 'literal'` would match. That is known for the column kinds of value_rules.h only, and
// for text keys only without a collation of their own (SQLite: none declared in the table;
// PostgreSQL: a deterministic one). A table with a key column of any other kind is not matched
// here at all, and a row whose value the rule cannot read (no plain whole number in an integer
// column) is not either: the caller asks the database for those, as before.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "adapter/stored_cells.h"
#include "adapter/value_rules.h"
#include "dataset/data_set.h"

class CODBCCommand;
class SqlStatementBuilder;

class StoredKeys {
 public:
  enum class Lookup {
    kFound,        // a stored row (or a row inserted since the read) has the key
    kMissing,      // no row has it
    kAskDatabase,  // this row's key cannot be matched in memory
  };
  struct Match {
    std::u16string identity;  // empty when the table has no identity column
    long long ordinal = -1;   // position in the read; -1 for a row added since
  };

  // Reads the table's key columns (those of its first row that has key cells) and its identity
  // column. False when the key cannot be matched in memory; find() then always answers
  // kAskDatabase. A read that fails is logged by the command and answers the same way.
  // With `cells`, the same read prints the cells the rows of `table` would write (their cells and
  // reference cells but the identity), in the columns whose kind has a rule; not where a trigger
  // or rule of the database runs on writes, which a write left out would not run.
  bool read(CODBCCommand* odbc, const SqlStatementBuilder& sql, const CDataTable& table,
            bool cells = false);

  Lookup find(const CDataRow& row, Match* match) const;
  // Remembers a row the import has just inserted, so that a later row with the same key finds
  // it, as the database would.
  void add(const CDataRow& row, const std::u16string& identity);

  // Whether writing `cells` into the stored row `ordinal` (Match::ordinal, rowOfIdentity) would
  // leave it as it is; false for a row added since the read.
  bool unchanged(long long ordinal, const StoredCells::Cells& cells) const {
    return cells_.same(ordinal, cells);
  }
  // The stored row with this identity (the table's primary key); -1 when there is none.
  long long rowOfIdentity(const std::u16string& identity) const;
  // The stored row `ordinal` is written: unchanged() no longer holds for it.
  void written(long long ordinal) { cells_.written(ordinal); }
  // Rows were written that cannot be told apart: unchanged() holds for none any more.
  void forgetCells() { cells_.forget(); }

  using Rule = ValueRule;
  static std::optional<std::u16string> normalise(Rule rule, const std::u16string& value) {
    return normaliseValue(rule, value);
  }
  // The key columns of a row: its cells named in its key column list, in cell order.
  static std::vector<std::u16string> keyCells(const CDataRow& row);

  // The row's key as compared here (one text for all key cells); nullopt when it cannot be
  // matched in memory.
  std::optional<std::u16string> keyOf(const CDataRow& row) const;

 private:
  bool usable_ = false;
  std::vector<std::u16string> columns_;
  std::vector<Rule> rules_;
  std::map<std::u16string, Match> byKey_;
  StoredCells cells_;
  std::unordered_map<std::u16string, long long> byIdentity_;  // only with cells
};
