// The rows a table already holds, found by their key values the way the database's own `=`
// finds them, from one read of the key columns and the identity.
//
// An import asks, for each row of the library, whether the database holds a row with the same
// key values. Asking the database once per row costs a round trip each; reading the key columns
// once and matching in memory costs one read per table, but it must match exactly the rows that
// `key = 'literal'` would match. That is known for a few column kinds only:
//   - text (PostgreSQL text/varchar with a deterministic collation; SQLite columns of TEXT
//     affinity without a declared collation): equal when the texts are equal, letter case
//     included;
//   - PostgreSQL character(n): equal when equal after trailing blanks are dropped;
//   - integer columns (SQLite INTEGER affinity, PostgreSQL smallint/integer/bigint): the literal
//     is read as a number, so '0010' finds the stored 10.
// A table with a key column of any other kind (REAL, dates, a collation of its own...) is not
// matched here at all, and a row whose value is no plain whole number in an integer column is
// not either: the caller asks the database for those, as before.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

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
  bool read(CODBCCommand* odbc, const SqlStatementBuilder& sql, const CDataTable& table);

  Lookup find(const CDataRow& row, Match* match) const;
  // Remembers a row the import has just inserted, so that a later row with the same key finds
  // it, as the database would.
  void add(const CDataRow& row, const std::u16string& identity);

  enum class Rule { kText, kTrailingBlanks, kInteger4, kInteger9, kInteger18 };
  // The text under which `value` is compared in a column of this kind; nullopt when it is
  // compared some way this class does not model.
  static std::optional<std::u16string> normalise(Rule rule, const std::u16string& value);
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
};
