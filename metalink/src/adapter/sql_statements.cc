#include "adapter/sql_statements.h"

#include <algorithm>

#include "util/cell_text.h"
#include "util/text_conversion.h"
#include "util/wide_text.h"

namespace {

bool isWideCharacterType(int32_t dataType) {
  return dataType == sql_type::kWideChar || dataType == sql_type::kWideVarchar ||
         dataType == sql_type::kWideLongVarchar;
}

template <typename Part>
std::u16string join(const std::vector<Part>& parts, const std::u16string& separator) {
  std::u16string text;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += separator;
    text += parts[i];
  }
  return text;
}

}  // namespace

std::u16string SqlStatementBuilder::cell(const CDataRow& row, const std::u16string& column) {
  std::vector<std::u16string> values;
  if (!row.getValues(column, &values)) return std::u16string();
  const CDataTable* table = row.getTable();
  const std::u16string separator = table != nullptr && table->getDataSet() != nullptr
                                       ? table->getDataSet()->getValueSeparator()
                                       : std::u16string(cell_text::kValueSeparator);
  return join(values, separator);
}

std::u16string SqlStatementBuilder::insert(const CDataRow& row) const {
  const CDataTable* table = row.getTable();
  if (table == nullptr || row.getValueMap().empty()) return std::u16string();
  std::vector<std::u16string> columns;
  std::vector<std::u16string> values;
  for (const auto& entry : row.getValueMap()) {
    columns.push_back(q(entry.first));
    values.push_back(quoteLiteral(cell(row, entry.first)));
  }
  return u"INSERT INTO " + q(table->getName()) + u"(" + join(columns, u",") + u")" + u" VALUES(" +
         join(values, u", ") + u")";
}

std::u16string SqlStatementBuilder::whereClause(const CDataRow& row, bool byPrimaryKey) const {
  const CDataTable* table = row.getTable();
  const auto& keys = row.getKeyColumns();
  std::vector<std::u16string> terms;
  for (const auto& entry : row.getValueMap()) {
    const std::u16string& column = entry.first;
    const bool isKey = byPrimaryKey ? table->isPrimaryKeyColumn(column)
                                    : std::find(keys.begin(), keys.end(), column) != keys.end();
    if (isKey) terms.push_back(q(column) + u" = " + quoteLiteral(cell(row, column)));
  }
  return join(terms, u" AND ");
}

std::u16string SqlStatementBuilder::update(const CDataRow& row, bool byPrimaryKey) const {
  const CDataTable* table = row.getTable();
  if (table == nullptr) return std::u16string();
  const std::u16string where = whereClause(row, byPrimaryKey);
  if (where.empty()) return std::u16string();
  const CDataColumn* identity = table->getIdentityColumn();
  std::vector<std::u16string> assignments;
  for (const auto& entry : row.getValueMap()) {
    if (identity != nullptr && equalsIgnoreCase(entry.first, identity->getName())) continue;
    assignments.push_back(q(entry.first) + u" = " + quoteLiteral(cell(row, entry.first)));
  }
  // Nothing to set (the row holds only its identity): no statement.
  if (assignments.empty()) return std::u16string();
  return u"UPDATE " + q(table->getName()) + u" SET " + join(assignments, u", ") + u" WHERE " +
         where;
}

std::u16string SqlStatementBuilder::select(const CDataRow& row, bool byPrimaryKey) const {
  const CDataTable* table = row.getTable();
  if (table == nullptr) return std::u16string();
  const std::u16string where = whereClause(row, byPrimaryKey);
  if (where.empty()) return std::u16string();
  return u"SELECT * FROM " + q(table->getName()) + u" WHERE " + where;
}

std::u16string SqlStatementBuilder::selectWhere(const CDataTable* table,
                                                const ColumnValuePairs& pairs) const {
  if (table == nullptr) return std::u16string();
  std::u16string text = u"SELECT * FROM " + q(table->getName());
  std::vector<std::u16string> terms;
  for (const auto& pair : pairs)
    terms.push_back(q(pair.first) + u" = " + quoteLiteral(pair.second));
  if (!terms.empty()) text += u" WHERE " + join(terms, u" AND ");
  return text;
}

std::u16string SqlStatementBuilder::deleteWhere(const CDataTable* table,
                                                const ColumnValuePairs& pairs) const {
  if (table == nullptr || pairs.empty()) return std::u16string();
  std::vector<std::u16string> terms;
  for (const auto& pair : pairs) terms.push_back(q(pair.first) + u"=" + quoteLiteral(pair.second));
  return u"DELETE FROM " + q(table->getName()) + u" WHERE " + join(terms, u" AND ");
}

std::u16string SqlStatementBuilder::columnDefinition(const CDataColumn& column) const {
  std::u16string text = q(column.getName()) + u" ";
  if (column.isAutoIncrement()) {
    return text + dialect_.identityColumnType(column.isPrimaryKey() ||
                                              dialect_.identityIsInlinePrimaryKey());
  }
  const CDataTable* table = column.getTable();
  if (table != nullptr && table->getDataSet() != nullptr) {
    text += table->getDataSet()->getTypeName(column.getDataType());
  }
  if (isWideCharacterType(column.getDataType())) {
    text += u"(" + toWide(std::to_string(column.getSize())) + u")";
  }
  return text;
}

std::u16string SqlStatementBuilder::keyList(const std::vector<const CDataColumn*>& columns) const {
  std::vector<std::u16string> names;
  for (const CDataColumn* column : columns) names.push_back(q(column->getName()));
  return join(names, u",");
}

std::u16string SqlStatementBuilder::createTable(const CDataTable& table) const {
  std::vector<std::u16string> definitions;
  std::vector<const CDataColumn*> keys;
  const bool inlineIdentityKey =
      dialect_.identityIsInlinePrimaryKey() && table.getIdentityColumn() != nullptr;
  for (const auto& column : table.getColumns()) {
    definitions.push_back(columnDefinition(*column));
    if (!column->isPrimaryKey()) continue;
    // Where the identity column is written as the primary key itself, it leaves the clause.
    if (inlineIdentityKey && column->isAutoIncrement()) continue;
    keys.push_back(column.get());
  }
  std::u16string text = u"CREATE TABLE " + q(table.getName()) + u"(" + join(definitions, u",");
  if (!keys.empty()) {
    // With an inline identity key the other key columns stay unique, as a key would keep them.
    text += (inlineIdentityKey ? u",UNIQUE(" : u",PRIMARY KEY(") + keyList(keys) + u")";
  }
  return text + u")";
}

std::u16string SqlStatementBuilder::alterTableAdd(const CDataTable& table) const {
  std::vector<std::u16string> definitions;
  std::vector<const CDataColumn*> keys;
  for (const auto& column : table.getColumns()) {
    if ((column->getFlags() & CDataColumn::kAddToTable) == 0) continue;
    definitions.push_back(columnDefinition(*column));
    if (column->isPrimaryKey()) keys.push_back(column.get());
  }
  if (definitions.empty()) return std::u16string();
  std::u16string text = u"ALTER TABLE " + q(table.getName()) + u" ADD " +
                        join(definitions, dialect_.alterAddSeparator());
  if (!keys.empty()) text += dialect_.alterAddKeyClause() + keyList(keys) + u")";
  return text;
}

std::u16string SqlStatementBuilder::columnsProbe(const std::u16string& table) const {
  if (dialect_.kind() == SqlDialect::Kind::kDefault) {
    return u"SELECT * FROM " + bracketIdentifier(table);
  }
  return u"SELECT * FROM " + q(table);
}

std::u16string SqlStatementBuilder::countRows(const std::u16string& table) const {
  return u"SELECT COUNT(*) FROM " + q(table);
}

std::u16string SqlStatementBuilder::createIndex(const std::u16string& indexName,
                                                const std::u16string& table,
                                                const std::vector<std::u16string>& columns) const {
  std::vector<std::u16string> names;
  for (const auto& column : columns) names.push_back(q(column));
  return u"CREATE INDEX " + q(indexName) + u" ON " + q(table) + u" (" + join(names, u", ") + u")";
}

std::u16string SqlStatementBuilder::indexExists(const std::u16string& indexName) const {
  switch (dialect_.kind()) {
    case SqlDialect::Kind::kSqlite:
      return u"SELECT name FROM sqlite_master WHERE type = 'index' AND name = " +
             quoteLiteral(indexName);
    case SqlDialect::Kind::kPostgres:
      return u"SELECT indexname FROM pg_indexes WHERE indexname = " + quoteLiteral(indexName);
    case SqlDialect::Kind::kDefault:
      break;
  }
  return std::u16string();
}

std::u16string SqlStatementBuilder::dropTable(const std::u16string& table) const {
  return u"DROP TABLE " + q(table);
}

std::u16string SqlStatementBuilder::renameTable(const std::u16string& from,
                                                const std::u16string& to) const {
  return u"ALTER TABLE " + q(from) + u" RENAME TO " + q(to);
}

std::u16string SqlStatementBuilder::sqliteTableInfo(const std::u16string& table) const {
  return u"SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(" +
         quoteLiteral(table) + u") ORDER BY cid";
}

std::u16string SqlStatementBuilder::sqliteDependents(const std::u16string& table) const {
  return u"SELECT sql FROM sqlite_master WHERE tbl_name = " + quoteLiteral(table) +
         u" AND type IN ('index', 'trigger') AND sql IS NOT NULL";
}

std::u16string SqlStatementBuilder::sqliteColumnDefinition(
    const std::u16string& name, const std::u16string& type, bool notNull,
    const std::u16string& defaultValue) const {
  std::u16string text = q(name);
  if (!type.empty()) text += u" " + type;
  if (notNull) text += u" NOT NULL";
  // The default is stored as the SQL text it was declared with.
  if (!defaultValue.empty()) text += u" DEFAULT (" + defaultValue + u")";
  return text;
}

std::u16string SqlStatementBuilder::createTableFrom(
    const std::u16string& table, const std::vector<std::u16string>& definitions) const {
  return u"CREATE TABLE " + q(table) + u"(" + join(definitions, u",") + u")";
}

std::u16string SqlStatementBuilder::sqliteCopyRows(
    const std::u16string& from, const std::u16string& to,
    const std::vector<std::u16string>& columns) const {
  std::vector<std::u16string> names;
  for (const auto& column : columns) names.push_back(q(column));
  const std::u16string list = join(names, u",");
  return u"INSERT INTO " + q(to) + u"(" + list + u") SELECT " + list + u" FROM " + q(from) +
         u" ORDER BY rowid";
}

std::u16string SqlStatementBuilder::insertMarkers(const std::u16string& table,
                                                  const std::vector<std::u16string>& columns,
                                                  size_t rows,
                                                  const std::u16string& returning) const {
  std::vector<std::u16string> names;
  for (const auto& column : columns) names.push_back(q(column));
  const std::u16string one =
      u"(" + join(std::vector<std::u16string>(columns.size(), u"?"), u", ") + u")";
  std::u16string text = u"INSERT INTO " + q(table) + u"(" + join(names, u",") + u") VALUES" + one;
  for (size_t i = 1; i < rows; ++i) text += u", " + one;
  if (!returning.empty()) text += u" RETURNING " + q(returning);
  return text;
}

std::u16string SqlStatementBuilder::updateMarkers(
    const std::u16string& table, const std::vector<std::u16string>& setColumns,
    const std::vector<std::u16string>& whereColumns) const {
  std::vector<std::u16string> assignments;
  for (const auto& column : setColumns) assignments.push_back(q(column) + u" = ?");
  std::vector<std::u16string> terms;
  for (const auto& column : whereColumns) terms.push_back(q(column) + u" = ?");
  return u"UPDATE " + q(table) + u" SET " + join(assignments, u", ") + u" WHERE " +
         join(terms, u" AND ");
}

std::u16string SqlStatementBuilder::deleteWhereIn(const std::u16string& table,
                                                  const std::u16string& column,
                                                  const std::u16string& inColumn,
                                                  size_t count) const {
  return u"DELETE FROM " + q(table) + u" WHERE " + q(column) + u" = ? AND " + q(inColumn) +
         u" IN (" + join(std::vector<std::u16string>(count, u"?"), u", ") + u")";
}

std::u16string SqlStatementBuilder::selectColumns(
    const std::u16string& table, const std::vector<std::u16string>& columns) const {
  std::vector<std::u16string> names;
  for (const auto& column : columns) names.push_back(q(column));
  return u"SELECT " + join(names, u", ") + u" FROM " + q(table);
}

std::u16string SqlStatementBuilder::selectColumnsWhereIn(const std::u16string& table,
                                                         const std::vector<std::u16string>& columns,
                                                         const std::u16string& inColumn,
                                                         size_t count) const {
  return selectColumns(table, columns) + u" WHERE " + q(inColumn) + u" IN (" +
         join(std::vector<std::u16string>(count, u"?"), u", ") + u")";
}

std::u16string SqlStatementBuilder::sqliteTableSql(const std::u16string& table) const {
  return u"SELECT sql FROM sqlite_master WHERE type = 'table' AND name = " + quoteLiteral(table) +
         u" COLLATE NOCASE";
}

namespace {
bool isSqlite(const SqlDialect& dialect) { return dialect.kind() == SqlDialect::Kind::kSqlite; }
bool isPostgres(const SqlDialect& dialect) { return dialect.kind() == SqlDialect::Kind::kPostgres; }
// Any fixed number: every import of every library takes the same lock.
constexpr const char16_t* kImportLockKey = u"7235190411";
}  // namespace

std::u16string SqlStatementBuilder::beginImport() const {
  return isSqlite(dialect_) ? u"BEGIN IMMEDIATE" : u"";
}
std::u16string SqlStatementBuilder::commitImport() const {
  return isSqlite(dialect_) ? u"COMMIT" : u"";
}
std::u16string SqlStatementBuilder::rollbackImport() const {
  return isSqlite(dialect_) ? u"ROLLBACK" : u"";
}
std::u16string SqlStatementBuilder::importLock() const {
  return isPostgres(dialect_) ? u"SELECT pg_advisory_lock(" + std::u16string(kImportLockKey) + u")"
                              : u"";
}
std::u16string SqlStatementBuilder::importUnlock() const {
  return isPostgres(dialect_)
             ? u"SELECT pg_advisory_unlock(" + std::u16string(kImportLockKey) + u")"
             : u"";
}
std::u16string SqlStatementBuilder::lockTimeout(int seconds) const {
  const std::u16string value = toWide(std::to_string(seconds < 0 ? 0 : seconds));
  if (isSqlite(dialect_)) return u"PRAGMA busy_timeout = " + value + u"000";
  if (isPostgres(dialect_)) return u"SET lock_timeout = '" + value + u"s'";
  return std::u16string();
}
std::u16string SqlStatementBuilder::savepoint() const {
  return isPostgres(dialect_) ? u"SAVEPOINT eda_row" : u"";
}
std::u16string SqlStatementBuilder::releaseSavepoint() const {
  return isPostgres(dialect_) ? u"RELEASE SAVEPOINT eda_row" : u"";
}
std::u16string SqlStatementBuilder::rollbackToSavepoint() const {
  return isPostgres(dialect_) ? u"ROLLBACK TO SAVEPOINT eda_row" : u"";
}

std::u16string SqlStatementBuilder::insertRowSet(const std::u16string& table,
                                                 const std::vector<std::u16string>& columns,
                                                 const std::u16string& returning) const {
  if (!isPostgres(dialect_) || columns.empty()) return std::u16string();
  std::vector<std::u16string> names;
  std::vector<std::u16string> values;
  for (const auto& column : columns) {
    names.push_back(q(column));
    values.push_back(u"v." + q(column));
  }
  // The whole set is converted before the first row is inserted (a value that does not fit its
  // column fails the statement before any identity is drawn), and the rows are inserted in the
  // order of the set, so the generated values are drawn in that order.
  std::u16string text = u"INSERT INTO " + q(table) + u"(" + join(names, u",") + u") SELECT " +
                        join(values, u", ") + u" FROM json_populate_recordset(NULL::" + q(table) +
                        u", CAST(? AS json)) AS v";
  if (returning.empty()) return text;
  return u"WITH i AS (" + text + u" RETURNING " + q(returning) + u") SELECT " + q(returning) +
         u" FROM i ORDER BY 1";
}

std::u16string SqlStatementBuilder::updateRowSet(
    const std::u16string& table, const std::vector<std::u16string>& setColumns,
    const std::vector<std::u16string>& whereColumns) const {
  if (!isPostgres(dialect_) || setColumns.empty() || whereColumns.empty()) return std::u16string();
  // A row that leaves a column out of its object keeps the column as it is.
  std::vector<std::u16string> assignments;
  for (const auto& column : setColumns) {
    assignments.push_back(q(column) + u" = CASE WHEN e.doc -> " + quoteLiteral(column) +
                          u" IS NULL THEN " + q(table) + u"." + q(column) + u" ELSE v." +
                          q(column) + u" END");
  }
  std::vector<std::u16string> terms;
  for (const auto& column : whereColumns) {
    terms.push_back(q(table) + u"." + q(column) + u" = v." + q(column));
  }
  return u"UPDATE " + q(table) + u" SET " + join(assignments, u", ") +
         u" FROM json_array_elements(CAST(? AS json)) AS e(doc), LATERAL "
         u"json_populate_record(NULL::" +
         q(table) + u", e.doc) AS v WHERE " + join(terms, u" AND ");
}

std::u16string SqlStatementBuilder::columnKinds(const std::u16string& table) const {
  if (isSqlite(dialect_)) {
    return u"SELECT name, type, 'y' FROM pragma_table_info(" + quoteLiteral(table) +
           u") ORDER BY cid";
  }
  if (isPostgres(dialect_)) {
    return u"SELECT a.attname, format_type(a.atttypid, a.atttypmod), CASE WHEN "
           u"c.collisdeterministic = false THEN 'n' ELSE 'y' END FROM pg_attribute a LEFT JOIN "
           u"pg_collation c ON c.oid = a.attcollation WHERE a.attrelid = to_regclass(" +
           quoteLiteral(q(table)) + u") AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum";
  }
  return std::u16string();
}

std::u16string SqlStatementBuilder::writeTriggers(const std::u16string& table) const {
  if (isSqlite(dialect_)) {
    return u"SELECT name FROM sqlite_master WHERE type = 'trigger' AND tbl_name = " +
           quoteLiteral(table) + u" COLLATE NOCASE";
  }
  if (isPostgres(dialect_)) {
    const std::u16string relation = u"to_regclass(" + quoteLiteral(q(table)) + u")";
    return u"SELECT tgname FROM pg_trigger WHERE tgrelid = " + relation +
           u" AND NOT tgisinternal UNION ALL SELECT rulename FROM pg_rewrite WHERE ev_class = " +
           relation + u" AND ev_type <> '1'";
  }
  return std::u16string();
}

std::u16string SqlStatementBuilder::indexNames() const {
  switch (dialect_.kind()) {
    case SqlDialect::Kind::kSqlite:
      return u"SELECT name FROM sqlite_master WHERE type = 'index'";
    case SqlDialect::Kind::kPostgres:
      return u"SELECT indexname FROM pg_indexes";
    case SqlDialect::Kind::kDefault:
      break;
  }
  return std::u16string();
}

std::u16string SqlStatementBuilder::fastWriteSetting() const {
  return isPostgres(dialect_) ? u"SET plan_cache_mode = force_custom_plan" : u"";
}

std::u16string SqlStatementBuilder::identityColumns() const {
  if (dialect_.kind() != SqlDialect::Kind::kPostgres) return std::u16string();
  // Identity columns and serial ones (a sequence as default), as the driver reports them.
  return u"SELECT table_name, column_name FROM information_schema.columns WHERE table_schema = "
         u"ANY (current_schemas(false)) AND (is_identity = 'YES' OR column_default LIKE "
         u"'nextval(%')";
}

std::u16string SqlStatementBuilder::primaryKeyColumns() const {
  if (dialect_.kind() != SqlDialect::Kind::kPostgres) return std::u16string();
  return u"SELECT c.relname, a.attname FROM pg_index i JOIN pg_class c ON c.oid = i.indrelid "
         u"JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = ANY (i.indkey) WHERE "
         u"i.indisprimary AND pg_table_is_visible(c.oid)";
}
