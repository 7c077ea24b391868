// The SQL text the ODBC adapter runs. Every value is written into the text as a quoted literal
// (lit: ' doubled) and every table and column name between two copies of the driver's
// identifier quote (q). A builder that has nothing to say returns the empty text.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "adapter/sql_dialect.h"
#include "dataset/data_set.h"

class SqlStatementBuilder {
 public:
  using ColumnValuePairs = CDataTable::ColumnValuePairs;

  SqlStatementBuilder(std::u16string identifierQuote, SqlDialect dialect)
      : quote_(std::move(identifierQuote)), dialect_(dialect) {}

  std::u16string q(const std::u16string& name) const { return quoteIdentifier(name, quote_); }

  // The values of the row's cell joined with the data set's value separator.
  static std::u16string cell(const CDataRow& row, const std::u16string& column);

  // INSERT INTO q(T)(q(c1),q(c2)) VALUES(lit(x1), lit(x2)), cells in column-name order.
  std::u16string insert(const CDataRow& row) const;
  // UPDATE q(T) SET q(c) = lit(x), ... WHERE q(k) = lit(x) AND ...; the identity column is not
  // set. The WHERE clause takes the table's primary key columns or the row's key columns.
  std::u16string update(const CDataRow& row, bool byPrimaryKey) const;
  // SELECT * FROM q(T) WHERE ..., the WHERE clause as for update().
  std::u16string select(const CDataRow& row, bool byPrimaryKey) const;
  // SELECT * FROM q(T)[ WHERE q(c1) = lit(x1) AND ...]
  std::u16string selectWhere(const CDataTable* table, const ColumnValuePairs& pairs) const;
  // DELETE FROM q(T) WHERE q(c1)=lit(x1) AND ...; empty without pairs.
  std::u16string deleteWhere(const CDataTable* table, const ColumnValuePairs& pairs) const;
  // q(c) + " " + type: the identity type for an auto-increment column, else the driver's type
  // name, with "(size)" for the wide character types (-8, -9, -10).
  std::u16string columnDefinition(const CDataColumn& column) const;
  // CREATE TABLE q(T)(def1,def2[,PRIMARY KEY(q(k1),q(k2))])
  std::u16string createTable(const CDataTable& table) const;
  // ALTER TABLE q(T) ADD def1,def2[, PRIMARY KEY(...)] for the columns marked to be added.
  std::u16string alterTableAdd(const CDataTable& table) const;
  std::u16string newIdentityQuery() const { return dialect_.newIdentityQuery(); }

  // The forms of the fast write path, with ? markers where the forms above write literals; the
  // values are bound in the order of the names given.
  // INSERT INTO q(T)(q(c1),q(c2)) VALUES(?, ?)[, (?, ?) ...][ RETURNING q(r)], `rows` rows.
  std::u16string insertMarkers(const std::u16string& table,
                               const std::vector<std::u16string>& columns, size_t rows,
                               const std::u16string& returning) const;
  // UPDATE q(T) SET q(s1) = ?, ... WHERE q(w1) = ? AND ...
  std::u16string updateMarkers(const std::u16string& table,
                               const std::vector<std::u16string>& setColumns,
                               const std::vector<std::u16string>& whereColumns) const;
  // DELETE FROM q(T) WHERE q(c) = ? AND q(in) IN (?, ? ...), `count` markers in the list.
  std::u16string deleteWhereIn(const std::u16string& table, const std::u16string& column,
                               const std::u16string& inColumn, size_t count) const;
  // A set of rows in one statement where the database can take them so (PostgreSQL; empty
  // elsewhere): the rows are one JSON parameter (see json_rows.h) that the database turns into
  // rows of the table's own column types, each value read as its quoted literal would be.
  // Inserts in the order of the set, a column a row leaves out as NULL; with `returning`, the
  // generated values come back in ascending order, one row each.
  std::u16string insertRowSet(const std::u16string& table,
                              const std::vector<std::u16string>& columns,
                              const std::u16string& returning) const;
  // UPDATE q(T) SET q(s1) = v.q(s1), ... FROM the set AS v WHERE q(T).q(w1) = v.q(w1) AND ...;
  // a column a row leaves out keeps its value in that row.
  std::u16string updateRowSet(const std::u16string& table,
                              const std::vector<std::u16string>& setColumns,
                              const std::vector<std::u16string>& whereColumns) const;
  // SELECT q(c1), q(c2) ... FROM q(T)
  std::u16string selectColumns(const std::u16string& table,
                               const std::vector<std::u16string>& columns) const;
  // SELECT q(c1), q(c2) ... FROM q(T) WHERE q(in) IN (?, ? ...), `count` markers in the list.
  std::u16string selectColumnsWhereIn(const std::u16string& table,
                                      const std::vector<std::u16string>& columns,
                                      const std::u16string& inColumn, size_t count) const;
  // How the columns of a table compare: rows of (name, declared type, "y" unless the column has
  // a collation that may call different texts equal). SQLite's declared types; PostgreSQL's type
  // names as format_type writes them. Empty for unknown systems.
  std::u16string columnKinds(const std::u16string& table) const;
  // A row for each trigger or rule that runs when rows of the table are written (PostgreSQL: not
  // those behind constraints). Empty for unknown systems.
  std::u16string writeTriggers(const std::u16string& table) const;
  // Run before the fast path's statements. PostgreSQL: plans made for each run's values, as for
  // literal statements; a plan reused across runs would check a too-long value only after the
  // row took its identity, and the identities after a failed row would then differ from those
  // the statement path gives. Empty elsewhere.
  std::u16string fastWriteSetting() const;
  // The CREATE TABLE text of a SQLite table, as column "sql".
  std::u16string sqliteTableSql(const std::u16string& table) const;

  // Prepared, never run, to learn which columns of a table the database generates: SELECT * FROM
  // the table, named with the driver's quote where the dialect is known and in brackets (the
  // form such databases understand) otherwise.
  std::u16string columnsProbe(const std::u16string& table) const;
  // SELECT COUNT(*) FROM q(T)
  std::u16string countRows(const std::u16string& table) const;
  // CREATE INDEX q(name) ON q(T) (q(c1), q(c2) ...)
  std::u16string createIndex(const std::u16string& indexName, const std::u16string& table,
                             const std::vector<std::u16string>& columns) const;
  // A query with a row when an index of that name exists (the ODBC catalog lists only unique
  // indexes the way the connector asks it). Empty for unknown systems.
  std::u16string indexExists(const std::u16string& indexName) const;
  std::u16string dropTable(const std::u16string& table) const;
  std::u16string renameTable(const std::u16string& from, const std::u16string& to) const;

  // The import's transaction. SQLite: "BEGIN IMMEDIATE" takes the write lock at once, so that
  // two imports cannot both read the rows and then both insert them; "COMMIT" and "ROLLBACK"
  // end it. Other systems begin through the driver (auto-commit off): these are empty there.
  std::u16string beginImport() const;
  std::u16string commitImport() const;
  std::u16string rollbackImport() const;
  // Run first in the transaction: serialises imports where the write lock is not taken by the
  // begin (PostgreSQL: a session-scoped advisory lock, so that it outlasts the commits of a large
  // schema check; importUnlock releases it). Empty where nothing is needed.
  std::u16string importLock() const;
  std::u16string importUnlock() const;
  // How long a lock held elsewhere is waited for. Empty where the system has no such setting.
  std::u16string lockTimeout(int seconds) const;
  // Savepoints around one row statement, where a failed statement would abort the whole
  // transaction (PostgreSQL). Empty elsewhere.
  std::u16string savepoint() const;
  std::u16string releaseSavepoint() const;
  std::u16string rollbackToSavepoint() const;

  // The statements of SQLite's table rebuild (see sqlite_identity.h).
  // The declared columns of a table: name, type, "notnull", dflt_value, pk, in column order.
  std::u16string sqliteTableInfo(const std::u16string& table) const;
  // The CREATE texts of the table's indexes and triggers, as column "sql".
  std::u16string sqliteDependents(const std::u16string& table) const;
  // q(name)[ type][ NOT NULL][ DEFAULT (value)]
  std::u16string sqliteColumnDefinition(const std::u16string& name, const std::u16string& type,
                                        bool notNull, const std::u16string& defaultValue) const;
  // CREATE TABLE q(T)(def1,def2 ...), the definitions as given.
  std::u16string createTableFrom(const std::u16string& table,
                                 const std::vector<std::u16string>& definitions) const;
  // INSERT INTO q(to)(cols) SELECT cols FROM q(from) ORDER BY rowid
  std::u16string sqliteCopyRows(const std::u16string& from, const std::u16string& to,
                                const std::vector<std::u16string>& columns) const;

  // The schema check's reads. The names of every index of the database, as one column; empty
  // where the dialect has no such query.
  std::u16string indexNames() const;
  // (table, column) of every column the database generates, in the tables the connection sees
  // without schema name; empty where the dialect has no such query (each table is probed).
  std::u16string identityColumns() const;
  // (table, column) of every primary key column in those tables; empty where the dialect has no
  // such query (each table's keys are asked from the driver).
  std::u16string primaryKeyColumns() const;

 private:
  // q(c) = lit(x) for each cell of the WHERE clause, joined with " AND ".
  std::u16string whereClause(const CDataRow& row, bool byPrimaryKey) const;
  std::u16string keyList(const std::vector<const CDataColumn*>& columns) const;

  std::u16string quote_;
  SqlDialect dialect_;
};
