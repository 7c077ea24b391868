// What the generated SQL has to say differently for the database systems the connector meets.
//
// The statements are written for a database that takes AUTOINCREMENT as a column type, reads the
// last generated key with @@IDENTITY and understands [name] quoting; that is the text every
// unknown database system gets. SQLite and PostgreSQL, recognised by the DBMS name the driver
// reports after connecting, differ in the few places below and nowhere else.
#pragma once

#include <string>

class SqlDialect {
 public:
  enum class Kind { kDefault, kSqlite, kPostgres };

  SqlDialect() = default;
  explicit SqlDialect(Kind kind) : kind_(kind) {}
  // Picks the dialect from SQL_DBMS_NAME ("SQLite", "PostgreSQL", ...), ignoring case.
  static SqlDialect forDbmsName(const std::u16string& dbmsName);

  Kind kind() const { return kind_; }

  // The text that stands in a column definition after the name of an identity column.
  // `primaryKey` says whether the column is (part of) the table's primary key.
  std::u16string identityColumnType(bool primaryKey) const;
  // SQLite's identity column is the rowid and so always the primary key, written inline: the
  // table's other key columns become a UNIQUE constraint instead.
  bool identityIsInlinePrimaryKey() const { return kind_ == Kind::kSqlite; }
  // SQLite cannot add an identity column with ALTER TABLE; the table is rebuilt instead.
  bool rebuildsTableForIdentity() const { return kind_ == Kind::kSqlite; }
  // What joins two column definitions of ALTER TABLE ... ADD, and what introduces its primary
  // key clause: "," and ", PRIMARY KEY(" by default; PostgreSQL repeats ADD before each.
  std::u16string alterAddSeparator() const;
  std::u16string alterAddKeyClause() const;

  // The query that reads the key the last insert generated, as a column "NewIdentity".
  std::u16string newIdentityQuery() const;
  // PostgreSQL's lastval() fails in a session that has not yet used a sequence, so it is asked
  // only after an insert into a table with an identity column.
  bool identityQueryNeedsIdentityColumn() const { return kind_ == Kind::kPostgres; }
  // Whether INSERT ... RETURNING hands the generated key back through ODBC. SQLite knows the
  // clause (3.35 on), but its ODBC driver reads rows only from statements that begin with SELECT;
  // there the identity query is asked after the insert instead, in the same process.
  bool insertReturnsIdentity() const { return kind_ == Kind::kPostgres; }
  // Whether the fast path writes many rows in one statement (see
  // SqlStatementBuilder::insertRowSet): a round trip per row is most of an import's time on a
  // server.
  bool writesRowSets() const { return kind_ == Kind::kPostgres; }

  // Whether a wide character type the driver does not list borrows the name of the matching
  // narrow type (the SQLite driver lists no wide types).
  bool borrowsNarrowTypeNames() const { return kind_ == Kind::kSqlite; }

  // Why the database keeps a table name for itself (its own catalog tables), or an empty text
  // when the name is free. Letter case is ignored: SQLite ignores it, and a PostgreSQL name that
  // differs from a catalog's only in case is too close to one to be worth the risk.
  std::string reservedTableReason(const std::u16string& table) const;

  // Whether the connector may index the columns by which an import looks rows up. Unknown
  // systems keep the schema exactly as the statements above make it.
  bool indexesLookupColumns() const { return kind_ != Kind::kDefault; }

  // Whether CREATE and ALTER may run inside the import's transaction, so that a schema check
  // that fails half-way is rolled back with it and costs one commit instead of one per
  // statement. Unknown systems may commit DDL on their own or refuse it there.
  bool changesSchemaInTransaction() const { return kind_ != Kind::kDefault; }
  // How many tables the schema check may change before it commits what it did and goes on in a
  // new transaction; 0 for no limit. PostgreSQL holds a lock per created table, index and
  // sequence until the commit, and its shared lock table (64 per connection by default) runs out
  // after a few thousand of them: "out of shared memory".
  int schemaTablesPerTransaction() const { return kind_ == Kind::kPostgres ? 200 : 0; }
  // Whether table names match ignoring letter case (PostgreSQL keeps quoted names exactly).
  bool tableNamesIgnoreCase() const { return kind_ != Kind::kPostgres; }

 private:
  Kind kind_ = Kind::kDefault;
};

// q(name): the name between two copies of the quote. A quote character inside the name is
// doubled, as SQL escapes it, so a name cannot end the quoted identifier early. A blank or empty
// quote (the driver supports none) is written as it is and nothing is doubled.
std::u16string quoteIdentifier(const std::u16string& name, const std::u16string& quote);
// [name], each ] inside doubled: the quoting of the database systems that know brackets.
std::u16string bracketIdentifier(const std::u16string& name);
// lit(text): the text between single quotes, each ' doubled.
std::u16string quoteLiteral(const std::u16string& text);
