// The fast path of update: the same three passes as odbc_update.cc, with the same results, row
// for row. Existing rows are found from one read of each table's keys (StoredKeys) instead of a
// query per row; rows are written by prepared statements that return the new identity; the old
// link rows of the linked rows go in a few set-based deletes and the new ones in multi-row
// inserts. Where the database takes sets of rows (odbc_batch_write.cc), pass 1 and the reference
// cells of pass 2 go many rows to a statement too. A set-based statement that fails is done again
// row by row, so that a failing row costs only itself and is logged as on the statement path.
//
// A row whose stored cells already are what the update would write them to (StoredCells) is not
// written at all: on a re-import most rows are, and an update that changes nothing still makes a
// new row version and its index entries. The same for reference cells, and for the link rows of
// a row when the stored ones are exactly the new ones. The database ends up the same either way.
#include "adapter/odbc_fast_write.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "adapter/odbc_adapter.h"
#include "adapter/odbc_command.h"
#include "adapter/stored_keys.h"
#include "adapter/stored_links.h"
#include "util/message_logger.h"
#include "util/text_conversion.h"
#include "util/wide_text.h"

namespace {

constexpr const char* kSource = "DataAdapter";
// Rows per multi-row link insert and identities per link delete: large enough that round trips
// no longer count, small enough for every driver's limit on parameters.
constexpr size_t kLinkRowsPerInsert = 100;
constexpr size_t kIdsPerDelete = 200;

using Outcome = CODBCCommand::Outcome;

std::vector<std::u16string> cellNames(const CDataRow& row) {
  std::vector<std::u16string> names;
  for (const auto& entry : row.getValueMap()) names.push_back(entry.first);
  return names;
}

std::vector<std::u16string> cellValues(const CDataRow& row,
                                       const std::vector<std::u16string>& names) {
  std::vector<std::u16string> values;
  values.reserve(names.size());
  for (const auto& name : names) values.push_back(SqlStatementBuilder::cell(row, name));
  return values;
}

// (column, text) of each of `names`: what writing them would store.
StoredCells::Cells cellsOf(const CDataRow& row, const std::vector<std::u16string>& names) {
  StoredCells::Cells cells;
  cells.reserve(names.size());
  for (const auto& name : names) cells.emplace_back(name, SqlStatementBuilder::cell(row, name));
  return cells;
}

// Every cell of the row but its identity: what an update sets.
std::vector<std::u16string> settableCells(const CDataRow& row) {
  const CDataColumn* identity = row.getTable()->getIdentityColumn();
  std::vector<std::u16string> names;
  for (const auto& entry : row.getValueMap()) {
    if (identity != nullptr && equalsIgnoreCase(entry.first, identity->getName())) continue;
    names.push_back(entry.first);
  }
  return names;
}

}  // namespace

CODBCPrepared* PreparedStatements::get(const std::u16string& text) {
  auto found = statements_.find(text);
  if (found != statements_.end()) return found->second.get();
  auto prepared = command_->prepare(text, /*quiet=*/true);
  if (prepared == nullptr && MessageLogger::infoEnabled()) {
    MessageLogger::info(kSource, "Written with literal statements instead: " + toUtf8(text) + ": " +
                                     command_->lastFailure().describe());
  }
  return statements_.emplace(text, std::move(prepared)).first->second.get();
}

bool CODBCAdapter::usesFastWrite() const {
  const CODBCCommand* odbc = odbcCommand();
  return fastWrite_ && odbc != nullptr && odbc->getDialect().kind() != SqlDialect::Kind::kDefault;
}

void CODBCAdapter::writeRowsFast(CDataSet* dataSet, PreparedStatements* prepared,
                                 StoredTables* stored) {
  CODBCCommand* odbc = odbcCommand();
  const SqlStatementBuilder sql = statements();
  const bool sets = odbc->getDialect().writesRowSets();
  for (const auto& entry : dataSet->getTables()) {
    CDataTable* table = entry.second.get();
    if (table->getRows().empty()) continue;
    StoredKeys& keys = stored->byTable[table->getName()];
    const bool keyed = table->hasPrimaryKey();
    if (keyed) keys.read(odbc, sql, *table, /*cells=*/true);
    if (report_.stopped()) return;
    TableSets pending;
    for (const auto& owned : table->getRows()) {
      if (report_.stopped()) return;
      if (rowObserver_) rowObserver_();
      writeRowFast(owned.get(), keyed, &keys, sets ? &pending : nullptr, prepared);
    }
    if (sets) flushTable(&pending, &keys, prepared);
  }
}

void CODBCAdapter::writeRowFast(CDataRow* row, bool keyed, StoredKeys* keys, TableSets* sets,
                                PreparedStatements* prepared) {
  CDataTable* table = row->getTable();
  const CDataColumn* identity = table->getIdentityColumn();
  bool found = false;
  std::u16string key;
  StoredKeys::Match match;
  if (keyed && !StoredKeys::keyCells(*row).empty()) {
    key = keys->keyOf(*row).value_or(u"");
    // A row whose key is in a set finds that row once the set is written: it waits till then.
    if (sets != nullptr && !key.empty() && sets->holds(key)) {
      sets->waiting.push_back(row);
      sets->waitingKeys.insert(key);
      return;
    }
    const StoredKeys::Lookup lookup = keys->find(*row, &match);
    if (lookup == StoredKeys::Lookup::kAskDatabase) {
      if (sets != nullptr) flushTable(sets, keys, prepared);
      if (report_.stopped()) return;
      // The database may find any stored row for it, which is then no longer as read.
      keys->forgetCells();
      writeRowByStatements(table, row);
      return;
    }
    found = lookup == StoredKeys::Lookup::kFound;
    if (found && identity != nullptr) row->setValue(identity->getName(), match.identity);
  }
  if (found) {
    const std::vector<std::u16string> set = settableCells(*row);
    if (set.empty() || keys->unchanged(match.ordinal, cellsOf(*row, set))) return;
    keys->written(match.ordinal);
    const std::vector<std::u16string> where = StoredKeys::keyCells(*row);
    if (sets != nullptr) {
      queueRow(&sets->updates, false, row, set, where, false, key, prepared, keys);
    } else {
      updateFoundRow(row, set, where, false, prepared);
    }
    return;
  }
  const std::vector<std::u16string> columns = cellNames(*row);
  if (columns.empty()) return;
  // A set hands out the identities it gets back in the order the rows drew them; a row that
  // brings its own identity draws none, so it is written alone, in its turn.
  const bool ownIdentity =
      identity != nullptr &&
      std::any_of(columns.begin(), columns.end(), [identity](const std::u16string& column) {
        return equalsIgnoreCase(column, identity->getName());
      });
  if (sets != nullptr && !ownIdentity) {
    queueRow(&sets->inserts, true, row, columns, {}, false, key, prepared, keys);
    return;
  }
  if (sets != nullptr) flushTable(sets, keys, prepared);
  if (report_.stopped()) return;
  insertNewRow(row, columns, prepared, keys);
}

void CODBCAdapter::flushTable(TableSets* sets, StoredKeys* keys, PreparedStatements* prepared) {
  for (;;) {
    flushRows(&sets->updates, prepared, keys);
    flushRows(&sets->inserts, prepared, keys);
    if (report_.stopped() || sets->waiting.empty()) return;
    std::vector<CDataRow*> waiting;
    waiting.swap(sets->waiting);
    sets->waitingKeys.clear();
    for (CDataRow* row : waiting) {
      if (report_.stopped()) return;
      writeRowFast(row, true, keys, sets, prepared);
    }
  }
}

void CODBCAdapter::updateFoundRow(CDataRow* row, const std::vector<std::u16string>& set,
                                  const std::vector<std::u16string>& where, bool byPrimaryKey,
                                  PreparedStatements* prepared) {
  const SqlStatementBuilder sql = statements();
  CODBCPrepared* update = prepared->get(sql.updateMarkers(row->getTable()->getName(), set, where));
  if (update == nullptr) {
    if (!runRowStatement(buildUpdate(*row, byPrimaryKey))) rowFailed(row);
    return;
  }
  std::vector<std::u16string> values = cellValues(*row, set);
  for (const auto& value : cellValues(*row, where)) values.push_back(value);
  if (!fenced([&] { return update->run(values) != Outcome::kFailed; })) rowFailed(row);
}

void CODBCAdapter::insertNewRow(CDataRow* row, const std::vector<std::u16string>& columns,
                                PreparedStatements* prepared, StoredKeys* keys) {
  CDataTable* table = row->getTable();
  const SqlStatementBuilder sql = statements();
  const CDataColumn* identity = table->getIdentityColumn();
  const std::u16string identityName = identity != nullptr ? identity->getName() : u"";
  const bool returning = odbcCommand()->getDialect().insertReturnsIdentity();
  CODBCPrepared* insert = prepared->get(
      sql.insertMarkers(table->getName(), columns, 1, returning ? identityName : u""));
  CODBCPrepared* identityQuery =
      returning || identity == nullptr ? nullptr : prepared->get(sql.newIdentityQuery());
  if (insert == nullptr || (!returning && identity != nullptr && identityQuery == nullptr)) {
    writeRowByStatements(table, row);
    return;
  }
  const std::vector<std::u16string> values = cellValues(*row, columns);
  if (!fenced([&] { return insert->run(values) != Outcome::kFailed; })) {
    rowFailed(row);
    return;
  }
  if (identity == nullptr) {
    if (keys != nullptr) keys->add(*row, std::u16string());
    return;
  }
  if (identityQuery != nullptr) identityQuery->run({});
  const auto& returned = returning ? insert->rows() : identityQuery->rows();
  const std::u16string newIdentity =
      !returned.empty() && !returned[0].empty() ? returned[0][0].value_or(u"") : u"";
  row->setValue(identityName, newIdentity);
  if (keys != nullptr) keys->add(*row, newIdentity);
}

void CODBCAdapter::writeLinksFast(CDataSet* dataSet, CDataTable* relations,
                                  PreparedStatements* prepared, StoredTables* stored) {
  const SqlStatementBuilder sql = statements();
  std::vector<CDataRow*> linked;
  std::vector<CDataRow*> links;
  const bool sets = odbcCommand()->getDialect().writesRowSets();
  PendingRows pending;
  const bool made = makeLinks(dataSet, relations, &linked, &links, [&](CDataRow* row) {
    CDataTable* table = row->getTable();
    std::vector<std::u16string> where;
    for (const auto& cell : row->getValueMap()) {
      if (table->isPrimaryKeyColumn(cell.first)) where.push_back(cell.first);
    }
    const std::vector<std::u16string> set = settableCells(*row);
    if (where.empty() || set.empty()) return false;
    // Only by its identity is the stored row the update finds known.
    const CDataColumn* identity = table->getIdentityColumn();
    const auto keys = stored->byTable.find(table->getName());
    if (keys != stored->byTable.end()) {
      const bool byIdentity = identity != nullptr && where.size() == 1 &&
                              equalsIgnoreCase(where.front(), identity->getName());
      const long long ordinal =
          byIdentity ? keys->second.rowOfIdentity(row->getIdentityValue()) : -1;
      if (keys->second.unchanged(ordinal, cellsOf(*row, set))) return true;
      if (!byIdentity) keys->second.forgetCells();
      keys->second.written(ordinal);
    }
    if (!sets) {
      updateFoundRow(row, set, where, true, prepared);
      return true;
    }
    // Two rows of the library may be one row of the database (the second found the first): they
    // have one identity, and the second must be written after the first.
    std::u16string key = row->getIdentityValue();
    if (key.empty()) {
      for (const auto& column : where) key += SqlStatementBuilder::cell(*row, column) + u'\0';
    }
    queueRow(&pending, false, row, set, where, true, key, prepared, nullptr);
    return true;
  });
  flushRows(&pending, prepared, nullptr);
  if (!made) return;
  dropStoredLinks(*relations, &linked, &links);

  // The old link rows of the linked rows, a table's identities at a time. A delete that fails
  // is done again one row at a time, so that each failing row is logged and counted as itself.
  std::map<std::u16string, std::vector<CDataRow*>> byTable;
  for (CDataRow* row : linked) byTable[row->getTable()->getName()].push_back(row);
  for (const auto& [tableName, rows] : byTable) {
    for (size_t start = 0; start < rows.size(); start += kIdsPerDelete) {
      if (report_.stopped()) return;
      const size_t count = std::min(kIdsPerDelete, rows.size() - start);
      CODBCPrepared* remove =
          prepared->get(sql.deleteWhereIn(kRelationsTable, u"PrimaryTable", u"PrimaryID", count));
      std::vector<std::u16string> values{tableName};
      for (size_t i = start; i < start + count; ++i) {
        values.push_back(rows[i]->getIdentityValue());
      }
      if (remove != nullptr &&
          fenced([&] { return remove->run(values, /*quiet=*/true) != Outcome::kFailed; })) {
        continue;
      }
      for (size_t i = start; i < start + count; ++i) {
        if (report_.stopped()) return;
        CDataRow* row = rows[i];
        if (!runRowStatement(buildDeleteWhere(
                relations,
                {{u"PrimaryTable", tableName}, {u"PrimaryID", row->getIdentityValue()}}))) {
          rowFailed(row);
        }
      }
    }
  }

  // The new link rows, many to a statement; each row's cells are the same five.
  for (size_t start = 0; start < links.size(); start += kLinkRowsPerInsert) {
    if (report_.stopped()) return;
    const size_t count = std::min(kLinkRowsPerInsert, links.size() - start);
    const std::vector<std::u16string> columns = cellNames(*links[start]);
    CODBCPrepared* insert =
        prepared->get(sql.insertMarkers(kRelationsTable, columns, count, std::u16string()));
    std::vector<std::u16string> values;
    values.reserve(count * columns.size());
    for (size_t i = start; i < start + count; ++i) {
      for (auto& value : cellValues(*links[i], columns)) values.push_back(std::move(value));
    }
    if (insert != nullptr &&
        fenced([&] { return insert->run(values, /*quiet=*/true) != Outcome::kFailed; })) {
      continue;
    }
    if (report_.stopped()) return;
    for (size_t i = start; i < start + count; ++i) {
      if (report_.stopped()) return;
      if (!runRowStatement(buildInsert(*links[i]))) rowFailed(links[i]);
    }
  }
}

void CODBCAdapter::dropStoredLinks(const CDataTable& relations, std::vector<CDataRow*>* linked,
                                   std::vector<CDataRow*>* links) {
  if (linked->empty()) return;
  std::set<std::u16string> tableSet;
  for (const CDataRow* row : *linked) tableSet.insert(row->getTable()->getName());
  StoredLinks stored;
  if (!stored.read(odbcCommand(), statements(), relations, {tableSet.begin(), tableSet.end()})) {
    return;
  }
  // The new link rows of each linking row; two rows of the library that are one row of the
  // database share theirs, as the delete of either removes both's.
  std::unordered_map<std::u16string, std::vector<const CDataRow*>> byRow;
  for (const CDataRow* link : *links) {
    byRow[StoredLinks::rowKey(link->getValue(u"PrimaryTable"), link->getValue(u"PrimaryID"))]
        .push_back(link);
  }
  std::unordered_set<std::u16string> kept;
  for (const CDataRow* row : *linked) {
    const std::u16string key =
        StoredLinks::rowKey(row->getTable()->getName(), row->getIdentityValue());
    if (kept.count(key) == 0 &&
        stored.same(row->getTable()->getName(), row->getIdentityValue(), byRow[key])) {
      kept.insert(key);
    }
  }
  if (kept.empty()) return;
  const auto isKept = [&kept](const std::u16string& table, const std::u16string& id) {
    return kept.count(StoredLinks::rowKey(table, id)) != 0;
  };
  linked->erase(std::remove_if(linked->begin(), linked->end(),
                               [&](const CDataRow* row) {
                                 return isKept(row->getTable()->getName(), row->getIdentityValue());
                               }),
                linked->end());
  links->erase(std::remove_if(links->begin(), links->end(),
                              [&](const CDataRow* link) {
                                return isKept(link->getValue(u"PrimaryTable"),
                                              link->getValue(u"PrimaryID"));
                              }),
               links->end());
}
