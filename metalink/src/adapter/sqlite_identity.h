// SQLite cannot add an identity column with ALTER TABLE (its identity is the rowid, declared as
// INTEGER PRIMARY KEY when the table is created). The table is rebuilt instead.
#pragma once

#include <string>

class CODBCCommand;
class SqlStatementBuilder;

// Rebuilds `table` with the identity column `identity` appended, in one transaction (its own
// with `ownTransaction`, else the caller's, who rolls back on failure): the other
// columns keep their declared types, NOT NULL and defaults, every row keeps its values and gets
// an identity in rowid order, the former primary key stays as a UNIQUE constraint, and the
// table's indexes and triggers are made again. On any failure the table is left as it was.
bool addSqliteIdentityColumn(CODBCCommand* command, const SqlStatementBuilder& sql,
                             const std::u16string& table, const std::u16string& identity,
                             bool ownTransaction = true);
