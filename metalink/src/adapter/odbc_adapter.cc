#include "adapter/odbc_adapter.h"

#include <algorithm>
#include <memory>

#include "adapter/odbc_command.h"
#include "adapter/result_row.h"
#include "adapter/schema_catalog.h"

CODBCAdapter::CODBCAdapter(CDataCommand* command) : CDataAdapter(command) {
  if (CODBCCommand* odbc = odbcCommand()) identifierQuote_ = odbc->getIdentifierQuote();
}

CODBCCommand* CODBCAdapter::odbcCommand() const { return dynamic_cast<CODBCCommand*>(command_); }

SqlStatementBuilder CODBCAdapter::statements() const {
  const CODBCCommand* odbc = odbcCommand();
  return SqlStatementBuilder(identifierQuote_, odbc != nullptr ? odbc->getDialect() : SqlDialect());
}

void CODBCAdapter::loadTypeNames(CDataSet* dataSet) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr || dataSet == nullptr) return;
  if (odbc->queryTypeInfo() == 0) return;
  for (const auto& row : odbc->getRows()) {
    dataSet->addTypeName(resultInteger(resultValue(row, u"DATA_TYPE")),
                         resultValue(row, u"TYPE_NAME"));
  }
  if (odbc->getDialect().borrowsNarrowTypeNames()) {
    // Wide character type -> its narrow counterpart (CHAR, VARCHAR, LONGVARCHAR).
    static const std::pair<int32_t, int32_t> kNarrow[] = {{-8, 1}, {-9, 12}, {-10, -1}};
    for (const auto& pair : kNarrow) {
      if (dataSet->getTypeName(pair.first).empty() && !dataSet->getTypeName(pair.second).empty()) {
        dataSet->addTypeName(pair.first, dataSet->getTypeName(pair.second));
      }
    }
  }
}

void CODBCAdapter::fill(CDataSet* dataSet) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr || dataSet == nullptr) return;
  loadTypeNames(dataSet);
  // The columns of every table come from one catalog read (and the identities and keys too
  // where the dialect can list them): asking per table makes a schema of thousands of tables
  // take minutes.
  SchemaCatalog catalog;
  const SqlStatementBuilder sql = statements();
  catalog.read(odbc, odbc->getDialect().tableNamesIgnoreCase(), sql.identityColumns(),
               sql.primaryKeyColumns());
  for (const std::u16string& name : catalog.tableNames()) {
    CDataTable* table = dataSet->addTable(name);
    std::vector<std::u16string> keyColumns;
    if (catalog.knowsKeys()) {
      keyColumns = catalog.keyColumns(name);
    } else {
      if (odbc->queryPrimaryKeys(name) == -1) odbc->queryStatistics(name);
      keyColumns = odbc->getColumnValues(u"COLUMN_NAME");
    }
    std::vector<std::u16string> autoColumns;
    if (catalog.knowsIdentities()) {
      autoColumns = catalog.identityColumns(name);
    } else {
      odbc->queryAutoIncrementColumns(name);
      autoColumns = odbc->getColumnValues(u"COLUMN_NAME");
    }
    for (const auto& row : catalog.columnRows(name)) {
      const std::u16string columnName = resultValue(row, u"COLUMN_NAME");
      // A table filled before keeps the columns it has.
      if (table->findColumn(columnName) != nullptr) continue;
      const bool autoIncrement =
          std::find(autoColumns.begin(), autoColumns.end(), columnName) != autoColumns.end();
      const bool primaryKey =
          std::find(keyColumns.begin(), keyColumns.end(), columnName) != keyColumns.end();
      const int size = resultInteger(resultValue(row, u"COLUMN_SIZE"));
      table->addColumn(std::make_unique<CDataColumn>(
          table, columnName, resultInteger(resultValue(row, u"DATA_TYPE")),
          static_cast<uint32_t>(size < 0 ? 0 : size), resultValue(row, u"COLUMN_DEF"),
          autoIncrement, primaryKey, CDataColumn::kAddToTable));
    }
  }
}

bool CODBCAdapter::fillTable(CDataTable* table) { return fillTableWhere(table, {}); }

void CODBCAdapter::fillNamedTableWhere(CDataSet* dataSet, const std::u16string& tableName,
                                       const ColumnValuePairs& pairs) {
  if (odbcCommand() == nullptr || dataSet == nullptr) return;
  fillTableWhere(dataSet->getTable(tableName), pairs);
}

bool CODBCAdapter::fillNamedTables(CDataSet* dataSet,
                                   const std::vector<std::u16string>& tableNames) {
  if (odbcCommand() == nullptr || dataSet == nullptr) return false;
  for (const std::u16string& name : tableNames) fillTable(dataSet->getTable(name));
  return true;
}

bool CODBCAdapter::fillNamedTable(CDataSet* dataSet, const std::u16string& tableName) {
  if (odbcCommand() == nullptr || dataSet == nullptr) return false;
  return fillTable(dataSet->getTable(tableName));
}

bool CODBCAdapter::fillTableWhere(CDataTable* table, const ColumnValuePairs& pairs) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr || table == nullptr) return false;
  // Each fetched row becomes a data set row at once, so a large table is never held twice; the
  // rows are built aside and replace the table's only when the whole result arrived.
  class Fill : public CDataCommand::RowSink {
   public:
    Fill(CDataTable* table, const std::function<void()>& observer)
        : table_(table), observer_(observer) {}
    void columns(const std::vector<std::u16string>& names) override { names_ = names; }
    void row(std::vector<std::u16string>* values) override {
      auto row = std::make_unique<CDataRow>(table_, 1);
      for (size_t i = 0; i < names_.size(); ++i) row->addValue(names_[i], std::move((*values)[i]));
      rows_.push_back(std::move(row));
      if (observer_) observer_();
    }
    std::vector<std::unique_ptr<CDataRow>>& rows() { return rows_; }

   private:
    CDataTable* table_;
    const std::function<void()>& observer_;
    std::vector<std::u16string> names_;
    std::vector<std::unique_ptr<CDataRow>> rows_;
  };
  Fill fill(table, rowObserver_);
  if (!odbc->executeQuery(buildSelectWhere(table, pairs), &fill)) return false;
  table->clearRows();
  for (auto& row : fill.rows()) table->addRow(std::move(row));
  return true;
}

std::u16string CODBCAdapter::buildInsert(const CDataRow& row) const {
  return statements().insert(row);
}
std::u16string CODBCAdapter::buildUpdate(const CDataRow& row, bool byPrimaryKey) const {
  return statements().update(row, byPrimaryKey);
}
std::u16string CODBCAdapter::buildSelect(const CDataRow& row, bool byPrimaryKey) const {
  return statements().select(row, byPrimaryKey);
}
std::u16string CODBCAdapter::buildSelectWhere(const CDataTable* table,
                                              const ColumnValuePairs& pairs) const {
  return statements().selectWhere(table, pairs);
}
std::u16string CODBCAdapter::buildDeleteWhere(const CDataTable* table,
                                              const ColumnValuePairs& pairs) const {
  return statements().deleteWhere(table, pairs);
}
std::u16string CODBCAdapter::buildColumnDefinition(const CDataColumn& column) const {
  return statements().columnDefinition(column);
}
std::u16string CODBCAdapter::buildCreateTable(const CDataTable& table) const {
  return statements().createTable(table);
}
std::u16string CODBCAdapter::buildAlterTableAdd(const CDataTable& table) const {
  return statements().alterTableAdd(table);
}
std::u16string CODBCAdapter::buildNewIdentityQuery() const {
  return statements().newIdentityQuery();
}
std::u16string CODBCAdapter::buildCountRows(const std::u16string& tableName) const {
  return statements().countRows(tableName);
}
