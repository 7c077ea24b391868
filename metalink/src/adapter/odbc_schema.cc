// Creating the tables and columns the connector needs, before any row is written.
#include <memory>
#include <vector>

#include "adapter/odbc_adapter.h"
#include "adapter/odbc_command.h"
#include "adapter/sqlite_identity.h"
#include "util/text_conversion.h"
#include "util/wide_text.h"

namespace {

constexpr uint32_t kTextSize = 255;

CDataColumn* addTextColumn(CDataTable* table, const std::u16string& name) {
  return table->addColumn(std::make_unique<CDataColumn>(table, name, sql_type::kWideVarchar,
                                                        kTextSize, std::u16string(), false, false,
                                                        CDataColumn::kAddToTable));
}

bool containsIgnoringCase(const std::vector<std::u16string>& names, const std::u16string& name) {
  for (const auto& candidate : names) {
    if (equalsIgnoreCase(candidate, name)) return true;
  }
  return false;
}

// The identity column is named after its table, with a suffix where a column of that name exists.
std::u16string identityColumnName(const std::u16string& tableName,
                                  const std::vector<std::u16string>& existing) {
  std::u16string name = tableName + u"0";
  for (int suffix = 1; containsIgnoringCase(existing, name); ++suffix) {
    name = tableName + u"0_" + toWide(std::to_string(suffix));
  }
  return name;
}

}  // namespace

std::unique_ptr<CDataSet> CODBCAdapter::schemaDataSet(const std::u16string& tableName) {
  auto dataSet = std::make_unique<CDataSet>(std::u16string());
  loadTypeNames(dataSet.get());
  dataSet->addTable(tableName);
  return dataSet;
}

void CODBCAdapter::ensureRelationsTable() {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr || odbc->queryColumns(kRelationsTable) > 0) return;
  auto dataSet = schemaDataSet(kRelationsTable);
  CDataTable* table = dataSet->getTable(kRelationsTable);
  for (const char16_t* name :
       {u"PrimaryTable", u"PrimaryID", u"SecondaryTable", u"SecondaryID", u"Relation"}) {
    addTextColumn(table, name);
  }
  odbc->execute(buildCreateTable(*table));
}

void CODBCAdapter::ensureLookupIndex(const std::u16string& tableName,
                                     const std::vector<std::u16string>& columnNames) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr || columnNames.empty() || !odbc->getDialect().indexesLookupColumns()) return;
  const std::u16string indexName = tableName + u"_lookup";
  const SqlStatementBuilder sql = statements();
  if (!odbc->executeQuery(sql.indexExists(indexName)) || !odbc->getRows().empty()) return;
  odbc->execute(sql.createIndex(indexName, tableName, columnNames));
}

void CODBCAdapter::ensureTable(const std::u16string& tableName,
                               const std::vector<std::u16string>& columnNames, bool withIdentity) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr) return;
  // The table's columns are read once, whatever the number of columns asked for: a check that
  // reads the catalog once per column makes a large map take hours.
  if (odbc->queryColumns(tableName) > 0) {
    std::vector<std::u16string> existing = odbc->getColumnValues(u"COLUMN_NAME");
    for (const auto& name : columnNames) {
      if (containsIgnoringCase(existing, name)) continue;
      auto dataSet = schemaDataSet(tableName);
      addTextColumn(dataSet->getTable(tableName), name);
      odbc->execute(buildAlterTableAdd(*dataSet->getTable(tableName)));
      existing.push_back(name);
    }
    return;
  }
  auto dataSet = schemaDataSet(tableName);
  CDataTable* table = dataSet->getTable(tableName);
  for (const auto& name : columnNames) {
    if (table->findColumn(name) == nullptr) addTextColumn(table, name);
  }
  // Adding the identity column afterwards costs SQLite a rebuild of the table, which made the
  // check of a large map take minutes.
  if (withIdentity) {
    table->addColumn(std::make_unique<CDataColumn>(
        table, identityColumnName(tableName, columnNames), sql_type::kInteger, kTextSize,
        std::u16string(), true, true, CDataColumn::kAddToTable));
  }
  odbc->execute(buildCreateTable(*table));
}

void CODBCAdapter::ensureColumn(const std::u16string& tableName, const std::u16string& columnName) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr) return;
  const int count = odbc->queryColumns(tableName);
  if (count > 0 && containsIgnoringCase(odbc->getColumnValues(u"COLUMN_NAME"), columnName)) return;
  auto dataSet = schemaDataSet(tableName);
  CDataTable* table = dataSet->getTable(tableName);
  addTextColumn(table, columnName);
  odbc->execute(count > 0 ? buildAlterTableAdd(*table) : buildCreateTable(*table));
}

void CODBCAdapter::ensureIdentityColumn(const std::u16string& tableName) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr || odbc->queryColumns(tableName) == 0) return;
  const std::vector<std::u16string> existing = odbc->getColumnValues(u"COLUMN_NAME");
  odbc->queryAutoIncrementColumns(tableName);
  if (!odbc->getColumnValues(u"COLUMN_NAME").empty()) return;

  const std::u16string name = identityColumnName(tableName, existing);
  if (odbc->queryPrimaryKeys(tableName) == -1) odbc->queryStatistics(tableName);
  bool hasKey = false;
  for (const auto& key : odbc->getColumnValues(u"COLUMN_NAME")) hasKey = hasKey || !key.empty();

  if (odbc->getDialect().rebuildsTableForIdentity()) {
    addSqliteIdentityColumn(odbc, statements(), tableName, name);
    return;
  }
  auto dataSet = schemaDataSet(tableName);
  CDataTable* table = dataSet->getTable(tableName);
  // Without a key, rows could be neither found again nor updated by key: the identity is it.
  table->addColumn(std::make_unique<CDataColumn>(table, name, sql_type::kInteger, kTextSize,
                                                 std::u16string(), true, !hasKey,
                                                 CDataColumn::kAddToTable));
  odbc->execute(buildAlterTableAdd(*table));
}
