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

namespace {

// The number in the first cell of the last query's result; -1 when there is none.
long long countFromRows(const CODBCCommand& command) {
  const auto& rows = command.getRows();
  if (rows.empty() || rows.front().empty()) return -1;
  return resultInteger(rows.front().front().second);
}

}  // namespace

bool addSqliteIdentityColumn(CODBCCommand* command, const SqlStatementBuilder& sql,
                             const std::u16string& table, const std::u16string& identity,
                             bool ownTransaction) {
  if (!command->executeQuery(sql.sqliteTableInfo(table))) return false;
  std::vector<ColumnInfo> columns;
  for (const auto& row : command->getRows()) {
    ColumnInfo column;
    column.name = resultValue(row, u"name");
    column.definition = sql.sqliteColumnDefinition(column.name, resultValue(row, u"type"),
                                                   resultInteger(resultValue(row, u"notnull")) != 0,
                                                   resultValue(row, u"dflt_value"));
    column.keyPosition = resultInteger(resultValue(row, u"pk"));
    columns.push_back(std::move(column));
  }
  if (columns.empty()) return false;
  // Indexes and triggers go with the old table; their text makes them again.
  if (!command->executeQuery(sql.sqliteDependents(table))) return false;
  const std::vector<std::u16string> dependents = command->getColumnValues(u"sql");

  std::vector<std::u16string> definitions;
  std::vector<std::u16string> names;
  std::vector<const ColumnInfo*> keys;
  for (const ColumnInfo& column : columns) {
    definitions.push_back(column.definition);
    names.push_back(column.name);
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
  if (ownTransaction && !command->beginTransaction()) return false;
  auto run = [command](const std::u16string& statement) {
    return command->execute(statement) != CODBCCommand::Outcome::kFailed;
  };
  bool done = run(sql.createTableFrom(rebuilt, definitions)) &&
              run(sql.sqliteCopyRows(table, rebuilt, names));
  // The original goes only when the copy holds every one of its rows: a copy that failed half
  // way (or reported nothing) must not cost the table's data.
  if (done) {
    done = command->executeQuery(sql.countRows(table));
    const long long original = done ? countFromRows(*command) : -1;
    done = done && command->executeQuery(sql.countRows(rebuilt));
    const long long copied = done ? countFromRows(*command) : -2;
    done = done && original >= 0 && original == copied;
  }
  done = done && run(sql.dropTable(table)) && run(sql.renameTable(rebuilt, table));
  for (size_t i = 0; done && i < dependents.size(); ++i) done = run(dependents[i]);
  if (!ownTransaction) return done;
  return command->endTransaction(done) && done;
}
