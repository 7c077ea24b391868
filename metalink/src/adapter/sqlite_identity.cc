#include "adapter/sqlite_identity.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "adapter/odbc_command.h"
#include "adapter/result_row.h"
#include "adapter/sql_statements.h"

namespace {

struct ColumnInfo {
  std::u16string name;
  std::u16string definition;
  int keyPosition = 0;  // 1-based position in the primary key, 0 when not part of it
};

std::u16string join(const std::vector<std::u16string>& parts, const std::u16string& separator) {
  std::u16string text;
  for (size_t i = 0; i < parts.size(); ++i) text += (i > 0 ? separator : u"") + parts[i];
  return text;
}

}  // namespace

bool addSqliteIdentityColumn(CODBCCommand* command, const SqlStatementBuilder& sql,
                             const std::u16string& table, const std::u16string& identity) {
  const std::u16string name = quoteLiteral(table);
  if (!command->executeQuery(u"SELECT name, type, \"notnull\", dflt_value, pk FROM "
                             u"pragma_table_info(" +
                             name + u") ORDER BY cid")) {
    return false;
  }
  std::vector<ColumnInfo> columns;
  for (const auto& row : command->getRows()) {
    ColumnInfo column;
    column.name = resultValue(row, u"name");
    column.definition = sql.q(column.name);
    const std::u16string type = resultValue(row, u"type");
    if (!type.empty()) column.definition += u" " + type;
    if (resultInteger(resultValue(row, u"notnull")) != 0) column.definition += u" NOT NULL";
    const std::u16string defaultValue = resultValue(row, u"dflt_value");
    if (!defaultValue.empty()) column.definition += u" DEFAULT (" + defaultValue + u")";
    column.keyPosition = resultInteger(resultValue(row, u"pk"));
    columns.push_back(std::move(column));
  }
  if (columns.empty()) return false;
  // Indexes and triggers go with the old table; their text makes them again.
  if (!command->executeQuery(u"SELECT sql FROM sqlite_master WHERE tbl_name = " + name +
                             u" AND type IN ('index', 'trigger') AND sql IS NOT NULL")) {
    return false;
  }
  const std::vector<std::u16string> dependents = command->getColumnValues(u"sql");

  std::vector<std::u16string> definitions;
  std::vector<std::u16string> names;
  std::vector<const ColumnInfo*> keys;
  for (const ColumnInfo& column : columns) {
    definitions.push_back(column.definition);
    names.push_back(sql.q(column.name));
    if (column.keyPosition > 0) keys.push_back(&column);
  }
  std::sort(keys.begin(), keys.end(), [](const ColumnInfo* a, const ColumnInfo* b) {
    return a->keyPosition < b->keyPosition;
  });
  definitions.push_back(sql.q(identity) + u" INTEGER PRIMARY KEY AUTOINCREMENT");
  if (!keys.empty()) {
    std::vector<std::u16string> keyNames;
    for (const ColumnInfo* key : keys) keyNames.push_back(sql.q(key->name));
    definitions.push_back(u"UNIQUE(" + join(keyNames, u",") + u")");
  }

  const std::u16string rebuilt = table + u"_eda_rebuild";
  std::vector<std::u16string> statements = {
      u"CREATE TABLE " + sql.q(rebuilt) + u"(" + join(definitions, u",") + u")",
      u"INSERT INTO " + sql.q(rebuilt) + u"(" + join(names, u",") + u") SELECT " +
          join(names, u",") + u" FROM " + sql.q(table) + u" ORDER BY rowid",
      u"DROP TABLE " + sql.q(table),
      u"ALTER TABLE " + sql.q(rebuilt) + u" RENAME TO " + sql.q(table),
  };
  statements.insert(statements.end(), dependents.begin(), dependents.end());

  if (!command->beginTransaction()) return false;
  bool done = true;
  for (const std::u16string& statement : statements) {
    // An INSERT ... SELECT of an empty table reports SQL_NO_DATA: that is no failure.
    if (!command->execute(statement) && statement.rfind(u"INSERT", 0) != 0) {
      done = false;
      break;
    }
  }
  return command->endTransaction(done) && done;
}
