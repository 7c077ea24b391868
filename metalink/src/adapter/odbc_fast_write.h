// The prepared statements of one update, one per statement text (table and column set), made
// when first needed and kept until the update ends.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "adapter/odbc_prepared.h"
#include "adapter/stored_keys.h"

class PreparedStatements {
 public:
  explicit PreparedStatements(CODBCCommand* command) : command_(command) {}

  // The statement for `text`; null when the driver refuses to prepare it (logged at INFO only:
  // the caller then writes the row with literal statements, which report their own failures).
  CODBCPrepared* get(const std::u16string& text);

 private:
  CODBCCommand* command_;
  std::map<std::u16string, std::unique_ptr<CODBCPrepared>> statements_;
};

class CDataRow;

// Rows of one table waiting to be written by one statement (where the database takes sets of
// rows, see SqlStatementBuilder::insertRowSet): all inserts of one column set, or all updates of
// one set of columns by one set of key columns.
struct PendingRows {
  enum class Kind { kInsert, kUpdate };

  Kind kind = Kind::kInsert;
  std::u16string table;
  std::vector<std::u16string> columns;  // every column a row of the set writes, in name order
  std::vector<std::u16string> where;    // update: the cells that find the row
  bool byPrimaryKey = false;            // update: `where` is the primary key (links pass)
  std::vector<CDataRow*> rows;          // links, in the order the statement path writes them
  // Per row, the columns it writes (its cells; for an update those it sets).
  std::vector<std::vector<std::u16string>> rowColumns;
  // The keys of the rows: a row whose key is here already must wait until these are written
  // (it updates the row written first, as on the statement path).
  std::set<std::u16string> keys;
};

// The sets of one table in pass 1: its inserts and its updates, which commute (their keys
// differ), and the rows that wait because their key is in one of them.
struct TableSets {
  bool holds(const std::u16string& key) const {
    return inserts.keys.count(key) != 0 || updates.keys.count(key) != 0 ||
           waitingKeys.count(key) != 0;
  }

  PendingRows inserts;
  PendingRows updates;
  std::vector<CDataRow*> waiting;
  std::set<std::u16string> waitingKeys;
};

// What the fast path read of each table (by name) in pass 1: pass 2 leaves alone the reference
// cells of the rows it finds there unchanged.
struct StoredTables {
  std::map<std::u16string, StoredKeys> byTable;
};
