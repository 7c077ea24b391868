// The link rows the database holds, one print per linking row (PrimaryTable, PrimaryID) of the
// multiset of its links, so that an import can leave alone the link rows it would delete and
// write again the same.
//
// Link rows are replaced by `PrimaryTable = 'T' AND PrimaryID = 'id'`: the rows that replacement
// finds are known from a read only where the link table is the five text columns the connector
// makes, compared exactly (no collation of their own), with no trigger or rule on writes and no
// identity or default that a new link row would draw. Otherwise nothing is read and nothing is
// the same. Two different multisets with one print are possible in principle (one pair in 2^128).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "dataset/data_set.h"

class CODBCCommand;
class SqlStatementBuilder;

class StoredLinks {
 public:
  // Reads the link rows of `relations` whose PrimaryTable is one of `tables`. False (and nothing
  // is the same) when the link table is not as described above or the read failed (logged).
  bool read(CODBCCommand* odbc, const SqlStatementBuilder& sql, const CDataTable& relations,
            const std::vector<std::u16string>& tables);
  // Whether the database holds exactly `links` (rows of the link table, all from `table` and
  // `id`) as the link rows from (table, id).
  bool same(const std::u16string& table, const std::u16string& id,
            const std::vector<const CDataRow*>& links) const;

  // One key for a linking row.
  static std::u16string rowKey(const std::u16string& table, const std::u16string& id);

 private:
  struct Print {
    uint64_t first = 0;
    uint64_t second = 0;
    uint64_t count = 0;
    bool operator==(const Print& o) const {
      return first == o.first && second == o.second && count == o.count;
    }
  };
  using Value = const std::u16string*;  // null: NULL
  static void add(Print* print, Value secondaryTable, Value secondaryId, Value relation);

  bool usable_ = false;
  std::unordered_map<std::u16string, Print> byRow_;
};
