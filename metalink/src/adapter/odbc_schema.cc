// Creating the tables and columns the connector needs, before any row is written.
#include <memory>
#include <set>
#include <vector>

#include "adapter/odbc_adapter.h"
#include "adapter/odbc_command.h"
#include "adapter/schema_catalog.h"
#include "adapter/sqlite_identity.h"
#include "util/message_logger.h"
#include "util/text_conversion.h"
#include "util/wide_text.h"

namespace {

constexpr const char* kSource = "ODBCAdapter";
constexpr uint32_t kTextSize = 255;
const char16_t* const kRelationsColumns[] = {u"PrimaryTable", u"PrimaryID", u"SecondaryTable",
                                             u"SecondaryID", u"Relation"};

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

std::u16string lookupIndexName(const std::u16string& tableName) { return tableName + u"_lookup"; }

}  // namespace

std::unique_ptr<CDataSet> CODBCAdapter::schemaDataSet(const std::u16string& tableName,
                                                      const CDataSet* typeSource) {
  auto dataSet = std::make_unique<CDataSet>(std::u16string());
  if (typeSource != nullptr) {
    for (const auto& [code, name] : typeSource->getTypeNames()) dataSet->addTypeName(code, name);
  } else {
    loadTypeNames(dataSet.get());
  }
  dataSet->addTable(tableName);
  return dataSet;
}

bool CODBCAdapter::runSchemaStatement(const std::u16string& tableName, const std::u16string& text) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc->execute(text) != CODBCCommand::Outcome::kFailed) return true;
  MessageLogger::error(kSource, "The table " + toUtf8(tableName) +
                                    " cannot be given the structure the import needs: " +
                                    odbc->lastFailure().describe());
  return false;
}

bool CODBCAdapter::createTable(const std::u16string& tableName,
                               const std::vector<std::u16string>& columnNames, bool withIdentity,
                               const CDataSet* typeSource) {
  auto dataSet = schemaDataSet(tableName, typeSource);
  CDataTable* table = dataSet->getTable(tableName);
  for (const auto& name : columnNames) {
    if (table->findColumn(name) == nullptr) addTextColumn(table, name);
  }
  // Adding the identity column afterwards costs SQLite a rebuild of the table.
  if (withIdentity) {
    table->addColumn(std::make_unique<CDataColumn>(
        table, identityColumnName(tableName, columnNames), sql_type::kInteger, kTextSize,
        std::u16string(), true, true, CDataColumn::kAddToTable));
  }
  return runSchemaStatement(tableName, buildCreateTable(*table));
}

bool CODBCAdapter::addMissingColumns(const std::u16string& tableName,
                                     std::vector<std::u16string>* existing,
                                     const std::vector<std::u16string>& columnNames,
                                     const CDataSet* typeSource) {
  for (const auto& name : columnNames) {
    if (containsIgnoringCase(*existing, name)) continue;
    auto dataSet = schemaDataSet(tableName, typeSource);
    addTextColumn(dataSet->getTable(tableName), name);
    if (!runSchemaStatement(tableName, buildAlterTableAdd(*dataSet->getTable(tableName)))) {
      return false;
    }
    existing->push_back(name);
  }
  return true;
}

bool CODBCAdapter::addMissingIdentity(const std::u16string& tableName,
                                      const std::vector<std::u16string>& existing,
                                      const CDataSet* typeSource, bool knownMissing) {
  CODBCCommand* odbc = odbcCommand();
  if (!knownMissing) {
    odbc->clearFailure();
    odbc->queryAutoIncrementColumns(tableName);
    if (!odbc->getColumnValues(u"COLUMN_NAME").empty()) return true;
    if (!odbc->lastFailure().empty()) {
      MessageLogger::error(kSource, "The identity column of the table " + toUtf8(tableName) +
                                        " cannot be looked for");
      return false;
    }
  }

  const std::u16string name = identityColumnName(tableName, existing);
  if (odbc->queryPrimaryKeys(tableName) == -1) odbc->queryStatistics(tableName);
  bool hasKey = false;
  for (const auto& key : odbc->getColumnValues(u"COLUMN_NAME")) hasKey = hasKey || !key.empty();

  if (odbc->getDialect().rebuildsTableForIdentity()) {
    // Inside the import's transaction the rebuild is part of it; on its own it takes one.
    if (addSqliteIdentityColumn(odbc, statements(), tableName, name, !inImport_)) return true;
    MessageLogger::error(
        kSource, "The table " + toUtf8(tableName) +
                     " cannot be given an identity column: " + odbc->lastFailure().describe());
    return false;
  }
  auto dataSet = schemaDataSet(tableName, typeSource);
  CDataTable* table = dataSet->getTable(tableName);
  // Without a key, rows could be neither found again nor updated by key: the identity is it.
  table->addColumn(std::make_unique<CDataColumn>(table, name, sql_type::kInteger, kTextSize,
                                                 std::u16string(), true, !hasKey,
                                                 CDataColumn::kAddToTable));
  return runSchemaStatement(tableName, buildAlterTableAdd(*table));
}

bool CODBCAdapter::ensureSchema(const MappedColumns& tables, const MappedColumns& lookupColumns) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr) return false;
  const SqlDialect& dialect = odbc->getDialect();
  // One read of the catalog for the whole map: a check that asks the driver once per table (or
  // per column) makes a map of thousands of tables take minutes.
  const SqlStatementBuilder sql = statements();
  SchemaCatalog catalog;
  if (!catalog.read(odbc, dialect.tableNamesIgnoreCase(), sql.identityColumns())) {
    MessageLogger::error(kSource, "The identity columns of the data source cannot be read: " +
                                      odbc->lastFailure().describe());
    return false;
  }
  CDataSet types{std::u16string()};
  loadTypeNames(&types);

  // A map of thousands of tables is committed in parts where one transaction cannot hold them.
  const int tablesPerPart = dialect.schemaTablesPerTransaction();
  int tablesInPart = 0;
  SchemaCommitted reached;  // what the next commit takes along
  auto partDone = [&]() {
    if (tablesPerPart == 0 || ++tablesInPart < tablesPerPart) return true;
    tablesInPart = 0;
    if (commitSchemaPart(reached)) return true;
    MessageLogger::error(kSource,
                         "The schema changes cannot be committed: " + report_.fatal.describe());
    return false;
  };
  for (const auto& [tableName, columnNames] : tables) {
    if (!partDone()) return false;
    reached.table = tableName;
    if (!catalog.hasTable(tableName)) {
      if (!createTable(tableName, columnNames, true, &types)) return false;
      continue;
    }
    std::vector<std::u16string> existing = catalog.columnNames(tableName);
    if (!addMissingColumns(tableName, &existing, columnNames, &types)) return false;
    // Where the catalog listed the identities, a table without one needs no probe.
    if (catalog.knowsIdentities() && !catalog.identityColumns(tableName).empty()) continue;
    if (!addMissingIdentity(tableName, existing, &types, catalog.knowsIdentities())) {
      return false;
    }
  }
  if (!catalog.hasTable(kRelationsTable) &&
      !createTable(kRelationsTable, {std::begin(kRelationsColumns), std::end(kRelationsColumns)},
                   false, &types)) {
    return false;
  }

  if (!dialect.indexesLookupColumns()) return true;
  if (!odbc->executeQuery(sql.indexNames())) {
    MessageLogger::error(kSource, "The indexes of the data source cannot be read: " +
                                      odbc->lastFailure().describe());
    return false;
  }
  std::set<std::u16string> indexes;
  for (const auto& row : odbc->getRows()) {
    if (!row.empty()) indexes.insert(row.front().second);
  }
  MappedColumns wanted = lookupColumns;
  wanted.emplace_back(kRelationsTable, std::vector<std::u16string>{u"PrimaryTable", u"PrimaryID"});
  for (const auto& [tableName, columnNames] : wanted) {
    const std::u16string indexName = lookupIndexName(tableName);
    if (columnNames.empty() || indexes.count(indexName) > 0) continue;
    if (!partDone()) return false;
    if (!runSchemaStatement(tableName, sql.createIndex(indexName, tableName, columnNames))) {
      return false;
    }
    indexes.insert(indexName);
    reached = {tableName, true};
  }
  return true;
}

void CODBCAdapter::ensureRelationsTable() {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr || odbc->queryColumns(kRelationsTable) > 0) return;
  createTable(kRelationsTable, {std::begin(kRelationsColumns), std::end(kRelationsColumns)}, false,
              nullptr);
}

void CODBCAdapter::ensureLookupIndex(const std::u16string& tableName,
                                     const std::vector<std::u16string>& columnNames) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr || columnNames.empty() || !odbc->getDialect().indexesLookupColumns()) return;
  const std::u16string indexName = lookupIndexName(tableName);
  const SqlStatementBuilder sql = statements();
  if (!odbc->executeQuery(sql.indexExists(indexName)) || !odbc->getRows().empty()) return;
  odbc->execute(sql.createIndex(indexName, tableName, columnNames));
}

void CODBCAdapter::ensureTable(const std::u16string& tableName,
                               const std::vector<std::u16string>& columnNames, bool withIdentity) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr) return;
  if (odbc->queryColumns(tableName) > 0) {
    std::vector<std::u16string> existing = odbc->getColumnValues(u"COLUMN_NAME");
    addMissingColumns(tableName, &existing, columnNames, nullptr);
    return;
  }
  createTable(tableName, columnNames, withIdentity, nullptr);
}

void CODBCAdapter::ensureColumn(const std::u16string& tableName, const std::u16string& columnName) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr) return;
  if (odbc->queryColumns(tableName) == 0) {
    createTable(tableName, {columnName}, false, nullptr);
    return;
  }
  std::vector<std::u16string> existing = odbc->getColumnValues(u"COLUMN_NAME");
  addMissingColumns(tableName, &existing, {columnName}, nullptr);
}

void CODBCAdapter::ensureIdentityColumn(const std::u16string& tableName) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr || odbc->queryColumns(tableName) == 0) return;
  addMissingIdentity(tableName, odbc->getColumnValues(u"COLUMN_NAME"), nullptr, false);
}
