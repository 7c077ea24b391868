// The dry run of an import: the schema the integrity check would complete, and what update would
// do to each table, worked out in memory from reads alone.
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "adapter/odbc_adapter.h"
#include "adapter/odbc_command.h"
#include "adapter/result_row.h"
#include "adapter/sql_dialect.h"
#include "adapter/sql_statements.h"
#include "adapter/stored_keys.h"
#include "util/cell_text.h"
#include "util/wide_text.h"

namespace {

constexpr uint32_t kTextSize = 255;

CDataColumn* addColumn(CDataTable* table, const std::u16string& name, int32_t type, bool identity,
                       bool primaryKey) {
  return table->addColumn(std::make_unique<CDataColumn>(table, name, type, kTextSize,
                                                        std::u16string(), identity, primaryKey,
                                                        CDataColumn::kAddToTable));
}

// The values of a row's key columns, as one text: rows are the same row when it is equal.
std::u16string keyOf(const CDataRow& row) {
  std::u16string key;
  for (const std::u16string& column : row.getKeyColumns()) {
    key += SqlStatementBuilder::cell(row, column);
    key += u'\0';
  }
  return key;
}

}  // namespace

std::vector<CDataCommand::ResultRow> CODBCAdapter::readExistingRows(const CDataTable* table) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr || !odbc->executeQuery(u"SELECT * FROM " +
                                             quoteIdentifier(table->getName(), identifierQuote_))) {
    return {};
  }
  return odbc->getRows();
}

std::vector<std::u16string> CODBCAdapter::planSchema(
    CDataSet* dataSet,
    const std::vector<std::pair<std::u16string, std::vector<std::u16string>>>& mappedColumns) {
  std::vector<std::u16string> created;
  if (dataSet == nullptr) return created;
  for (const auto& [tableName, columns] : mappedColumns) {
    CDataTable* table = dataSet->getTable(tableName);
    if (table == nullptr) {
      dataSet->addTable(tableName);
      table = dataSet->getTable(tableName);
      created.push_back(tableName);
    }
    for (const std::u16string& column : columns) {
      if (table->findColumn(column) == nullptr)
        addColumn(table, column, sql_type::kWideVarchar, false, false);
    }
    // As the integrity check does: an identity column where there is none, the key of a table
    // that has no other.
    if (table->getIdentityColumn() == nullptr) {
      addColumn(table, tableName + u"0", sql_type::kInteger, true, !table->hasPrimaryKey());
    }
  }
  if (dataSet->getTable(kRelationsTable) == nullptr) {
    dataSet->addTable(kRelationsTable);
    CDataTable* relations = dataSet->getTable(kRelationsTable);
    for (const char16_t* name :
         {u"PrimaryTable", u"PrimaryID", u"SecondaryTable", u"SecondaryID", u"Relation"}) {
      addColumn(relations, name, sql_type::kWideVarchar, false, false);
    }
    created.push_back(kRelationsTable);
  }
  return created;
}

std::vector<ImportTablePlan> CODBCAdapter::planUpdate(CDataSet* dataSet,
                                                      const std::vector<std::u16string>& created) {
  std::vector<ImportTablePlan> plans;
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr || dataSet == nullptr) return plans;
  const std::set<std::u16string> missing(created.begin(), created.end());

  // Pass 1, as update's first pass: which rows exist, and with which identity. A row of the
  // library that another row before it already claimed counts as an update of that one.
  struct Found {
    long long ordinal = -1;                          // the row in the table's read, if any
    const CDataCommand::ResultRow* asked = nullptr;  // the row the database found for it alone
    bool stored = false;                             // false: the import inserts the row
  };
  std::map<const CDataRow*, Found> found;
  std::deque<CDataCommand::ResultRow> asked;  // rows the database found for single rows
  // The same read as update's, cells printed: what update would leave alone, it counts so.
  std::map<std::u16string, StoredKeys> storedKeys;
  for (const auto& entry : dataSet->getTables()) {
    CDataTable* table = entry.second.get();
    if (table->getName() == kRelationsTable || table->getRows().empty()) continue;
    ImportTablePlan plan;
    plan.table = table->getName();
    plan.created = missing.count(table->getName()) > 0;
    // Rows are matched the way update matches them: from one read of the keys where the key
    // columns compare in a way known exactly, else by asking the database row by row. A table the
    // import would create has no rows yet, and its new text columns compare exactly.
    StoredKeys& keys = storedKeys[table->getName()];
    if (!plan.created && table->hasPrimaryKey()) keys.read(odbc, statements(), *table, true);
    const CDataColumn* identity = table->getIdentityColumn();
    std::set<std::u16string> inserted;
    for (const auto& row : table->getRows()) {
      const bool lookedUp = table->hasPrimaryKey() && !StoredKeys::keyCells(*row).empty();
      if (!lookedUp) {
        ++plan.inserted;
        continue;
      }
      StoredKeys::Match match;
      const StoredKeys::Lookup lookup =
          plan.created ? StoredKeys::Lookup::kMissing : keys.find(*row, &match);
      Found stored;
      if (lookup == StoredKeys::Lookup::kAskDatabase) {
        const std::u16string select = buildSelect(*row, false);
        if (odbc->executeQuery(select) && !odbc->getRows().empty()) {
          asked.push_back(odbc->getRows().front());
          stored.asked = &asked.back();
          stored.stored = true;
          if (identity != nullptr) {
            row->setValue(identity->getName(), resultValue(asked.back(), identity->getName()));
          }
        }
      } else if (lookup == StoredKeys::Lookup::kFound && match.ordinal >= 0) {
        stored.ordinal = match.ordinal;
        stored.stored = true;
        if (identity != nullptr) row->setValue(identity->getName(), match.identity);
      }
      if (stored.stored) {
        found[row.get()] = stored;
        continue;
      }
      // Not in the database: the first row with the key is inserted, later ones update it.
      const bool byText = plan.created || lookup == StoredKeys::Lookup::kAskDatabase;
      const bool again =
          lookup == StoredKeys::Lookup::kFound || (byText && inserted.count(keyOf(*row)) > 0);
      if (again) {
        found[row.get()] = stored;
        ++plan.updated;
      } else {
        ++plan.inserted;
        if (byText) inserted.insert(keyOf(*row));
        keys.add(*row, std::u16string());
      }
    }
    plans.push_back(plan);
  }

  // Pass 2: the cells each found row would get, references included, against what it holds;
  // and the link rows update replaces.
  std::map<std::pair<std::u16string, std::u16string>, long long> storedLinks;
  if (const CDataTable* relations = dataSet->getTable(kRelationsTable);
      relations != nullptr && missing.count(kRelationsTable) == 0) {
    for (const auto& link : readExistingRows(relations)) {
      ++storedLinks[{resultValue(link, u"PrimaryTable"), resultValue(link, u"PrimaryID")}];
    }
  }
  for (ImportTablePlan& plan : plans) {
    const CDataTable* table = dataSet->getTable(plan.table);
    for (const auto& row : table->getRows()) {
      long long links = 0;
      for (const auto& related : row->getRelatedRows()) links += related.second.size();
      plan.linksWritten += links;
      const auto entry = found.find(row.get());
      if (entry == found.end() || !entry->second.stored) continue;
      if (links > 0) {
        const auto stored = storedLinks.find({table->getName(), row->getIdentityValue()});
        if (stored != storedLinks.end()) plan.linksReplaced += stored->second;
      }
      // The cells update would write: the row's own, then its reference cells.
      std::map<std::u16string, std::u16string> cells;
      for (const auto& cell : row->getValueMap()) {
        cells[cell.first] = SqlStatementBuilder::cell(*row, cell.first);
      }
      bool same = true;
      for (const auto& reference : row->getReferencedRows()) {
        const CDataRow* target = reference.second;
        // A row the import inserts gets its identity only then.
        same = same && !target->getIdentityValue().empty();
        cells[reference.first] =
            cell_text::referenceCell(target->getTable()->getName(), target->getIdentityValue());
      }
      const CDataColumn* identity = table->getIdentityColumn();
      StoredCells::Cells written;
      for (const auto& cell : cells) {
        if (identity != nullptr && equalsIgnoreCase(cell.first, identity->getName())) continue;
        written.push_back(cell);
      }
      if (entry->second.asked != nullptr) {
        // The database found this row alone: its texts are compared as they are.
        for (const auto& [column, text] : written) {
          same = same && text == resultValue(*entry->second.asked, column);
        }
      } else {
        StoredKeys& keys = storedKeys[table->getName()];
        same = same && keys.unchanged(entry->second.ordinal, written);
        // A later row of the library that is this row of the database finds it changed.
        if (!same) keys.written(entry->second.ordinal);
      }
      ++(same ? plan.unchanged : plan.updated);
    }
  }
  return plans;
}
