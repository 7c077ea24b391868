// Moves a CDataSet to and from an ODBC database through a CODBCCommand: reads the schema (fill),
// reads rows (fillTableWhere and the operations on it), writes rows and their links (update),
// and completes the schema the connector needs (ensure...).
//
// Every operation does nothing (false where it returns bool) when the command is not a
// CODBCCommand or a needed argument is null.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "adapter/data_adapter.h"
#include "adapter/data_command.h"
#include "adapter/import_plan.h"
#include "adapter/odbc_failure.h"
#include "adapter/sql_statements.h"
#include "dataset/data_set.h"

class CODBCCommand;
class PreparedStatements;
class StoredKeys;
struct PendingRows;
struct StoredTables;
struct TableSets;

class CODBCAdapter : public CDataAdapter {
 public:
  using ColumnValuePairs = CDataTable::ColumnValuePairs;

  // The link table: one row per link from a row of PrimaryTable to a row of SecondaryTable.
  static constexpr const char16_t* kRelationsTable = u"Relations";

  // Reads the driver's identifier quote when the command is a CODBCCommand (connected).
  explicit CODBCAdapter(CDataCommand* command);
  ~CODBCAdapter() override = default;

  // Tables, columns (with key and identity flags) and the driver's type names; no rows.
  void fill(CDataSet* dataSet) override;
  // What the last update did.
  struct UpdateReport {
    long long failedRows = 0;  // rows (and link rows) whose statement failed; logged each
    odbc::Failure fatal;       // the failure that ended the update early, if any
    bool stopped() const { return !fatal.empty(); }
  };

  // Pass 1 writes the rows (updating those found by their key columns, inserting the others and
  // fetching their identities); pass 2 makes the link rows and writes reference cells; pass 3
  // replaces the link rows of the linked rows. A row whose statement fails costs only itself; a
  // failure after which nothing can succeed (lost connection, read-only database, lock not
  // granted) ends the update at once. True only when every statement succeeded; lastUpdate()
  // tells what failed.
  bool update(CDataSet* dataSet) override;
  // Where the dialect is known (SQLite, PostgreSQL), update writes through the fast path:
  // existing rows found from one read of each table's keys, prepared statements, identities
  // returned by the insert, link rows replaced in sets. It leaves exactly the rows, identities,
  // link rows and log lines of the statement-by-statement path, which every other system gets,
  // and which `false` here forces (FastWrite=0 in ODBCCon.ini).
  void setFastWrite(bool fast) { fastWrite_ = fast; }
  bool usesFastWrite() const;
  const UpdateReport& lastUpdate() const { return report_; }

  // The import's transaction around update(): begins it and takes the import lock. False when the
  // transaction cannot begin or the lock is not granted; lastUpdate().fatal says why. endImport
  // commits or rolls back; false when the commit failed (then nothing was written).
  bool beginImport();
  // Bounds the wait for a lock held by another session, for every later statement of the
  // connection (catalog reads included). False when the setting failed; logged.
  bool setLockTimeout(int seconds);
  bool endImport(bool commit);
  // Where the last schema check committed part of its changes before it ended (a map larger than
  // one transaction of the database can hold); a failure leaves what was committed and rolls
  // back the rest. The tables are checked in the map's order, then the lookup indexes are made.
  struct SchemaCommitted {
    // The last table whose changes were committed; empty when nothing was committed.
    std::u16string table;
    // Every table was committed, and the lookup indexes up to the one of `table`.
    bool indexes = false;
  };
  const SchemaCommitted& schemaCommitted() const { return schemaCommitted_; }
  // The dry run of an import, with reads only. planSchema does in the data set (which holds the
  // database's structure) what the integrity check would do in the database for these mapped
  // tables and columns, and returns the tables it added; after the library adapter has filled
  // the data set, planUpdate counts per table what update would do.
  std::vector<std::u16string> planSchema(
      CDataSet* dataSet,
      const std::vector<std::pair<std::u16string, std::vector<std::u16string>>>& mappedColumns);
  std::vector<ImportTablePlan> planUpdate(CDataSet* dataSet,
                                          const std::vector<std::u16string>& created);
  // fillTableWhere without conditions; true when the query ran.
  bool fillTable(CDataTable* table) override;
  virtual void fillNamedTableWhere(CDataSet* dataSet, const std::u16string& tableName,
                                   const ColumnValuePairs& pairs);
  // fillTable for each name's table, in order; true.
  virtual bool fillNamedTables(CDataSet* dataSet, const std::vector<std::u16string>& tableNames);
  virtual bool fillNamedTable(CDataSet* dataSet, const std::u16string& tableName);
  // Replaces the table's rows by the database rows matching all pairs. When the query fails the
  // table keeps its rows and the result is false.
  virtual bool fillTableWhere(CDataTable* table, const ColumnValuePairs& pairs);

  // The statement texts (see SqlStatementBuilder); the dialect is the command's.
  std::u16string buildInsert(const CDataRow& row) const;
  std::u16string buildUpdate(const CDataRow& row, bool byPrimaryKey) const;
  std::u16string buildSelect(const CDataRow& row, bool byPrimaryKey) const;
  std::u16string buildSelectWhere(const CDataTable* table, const ColumnValuePairs& pairs) const;
  std::u16string buildDeleteWhere(const CDataTable* table, const ColumnValuePairs& pairs) const;
  std::u16string buildColumnDefinition(const CDataColumn& column) const;
  std::u16string buildCreateTable(const CDataTable& table) const;
  std::u16string buildAlterTableAdd(const CDataTable& table) const;
  std::u16string buildNewIdentityQuery() const;
  std::u16string buildCountRows(const std::u16string& tableName) const;

  // The key the last insert generated; empty when it cannot be read.
  std::u16string fetchNewIdentity();
  // Registers the driver's type names with the data set (the first name per code wins).
  void loadTypeNames(CDataSet* dataSet);

  // Table names with column names, in the order the check visits them.
  using MappedColumns = std::vector<std::pair<std::u16string, std::vector<std::u16string>>>;
  // The import's integrity check, reading the catalog once for the whole map: creates each
  // missing table with its columns and identity column, adds the missing columns (matched
  // ignoring case) and identity columns of existing ones, creates "Relations", and indexes the
  // lookup columns of each table (and the link columns) where the dialect allows it. Stops at the
  // first statement that fails, with an ERROR line naming the table, and returns false: the
  // caller rolls back what the check changed where the database allows it.
  bool ensureSchema(const MappedColumns& tables, const MappedColumns& lookupColumns);

  // Schema operations. Their statements' failures are logged by the command.
  // Creates "Relations" (five text columns, no key) when it does not exist.
  void ensureRelationsTable();
  // Adds an identity column named after the table (T + "0", or T + "0_1", ... when that name is
  // taken) to an existing table that has none; existing rows get identities. When the table has
  // no primary key, the identity column becomes its primary key.
  void ensureIdentityColumn(const std::u16string& tableName);
  // Adds the column (matched ignoring case) when missing; creates the table when missing.
  void ensureColumn(const std::u16string& tableName, const std::u16string& columnName);
  // Indexes the columns by which an import finds a table's rows (its key columns, or the link
  // columns of "Relations"), once: without it every existence check scans the table and an
  // import grows with the square of its rows. Only where the dialect allows it.
  void ensureLookupIndex(const std::u16string& tableName,
                         const std::vector<std::u16string>& columnNames);
  // Adds the missing columns (matched ignoring case) to an existing table, reading its columns
  // once; creates a missing table with all of them in one statement, and with `withIdentity` its
  // identity column too (the key ensureIdentityColumn would add, without rebuilding the table).
  void ensureTable(const std::u16string& tableName, const std::vector<std::u16string>& columnNames,
                   bool withIdentity = false);

  const std::u16string& getIdentifierQuote() const { return identifierQuote_; }

  // Called once for every row fillTableWhere reads and every row update writes (before the
  // links), so that a long transfer can show its progress. Nothing is called when empty.
  void setRowObserver(std::function<void()> observer) { rowObserver_ = std::move(observer); }

 private:
  CODBCCommand* odbcCommand() const;
  SqlStatementBuilder statements() const;
  // A throw-away data set with the driver's type names and one table, for the schema operations.
  // The type names come from `typeSource` when given, else from the driver.
  std::unique_ptr<CDataSet> schemaDataSet(const std::u16string& tableName,
                                          const CDataSet* typeSource);
  // The steps of the schema operations; each returns false when its statement failed (logged).
  bool runSchemaStatement(const std::u16string& tableName, const std::u16string& text);
  bool createTable(const std::u16string& tableName, const std::vector<std::u16string>& columnNames,
                   bool withIdentity, const CDataSet* typeSource);
  bool addMissingColumns(const std::u16string& tableName, std::vector<std::u16string>* existing,
                         const std::vector<std::u16string>& columnNames,
                         const CDataSet* typeSource);
  // `knownMissing`: the catalog said the table has no identity column, so no probe is needed.
  bool addMissingIdentity(const std::u16string& tableName,
                          const std::vector<std::u16string>& existing, const CDataSet* typeSource,
                          bool knownMissing);
  void writeRows(CDataSet* dataSet);
  // One row of pass 1 with its own existence query and literal statements.
  void writeRowByStatements(CDataTable* table, CDataRow* row);
  void writeLinks(CDataSet* dataSet, CDataTable* relations);
  // Pass 2 of both paths: makes the link rows of every row into `relations` (`links`, and the
  // rows that have any in `linked`) and sets each row's reference cells, which
  // `writeReferences` writes; it returns false when the row has no primary key to write them
  // by. False when the update stopped.
  bool makeLinks(CDataSet* dataSet, CDataTable* relations, std::vector<CDataRow*>* linked,
                 std::vector<CDataRow*>* links,
                 const std::function<bool(CDataRow*)>& writeReferences);
  // The fast path of the same passes (odbc_fast_write.cc).
  // A row the database already holds as it would be written is left alone (pass 1, and the
  // reference cells of pass 2), and so are the link rows of a row when they are already there.
  void writeRowsFast(CDataSet* dataSet, PreparedStatements* prepared, StoredTables* stored);
  void writeLinksFast(CDataSet* dataSet, CDataTable* relations, PreparedStatements* prepared,
                      StoredTables* stored);
  // The link rows of `linked` that the database holds already as they are in `links`: both lists
  // lose them, so that they are neither deleted nor written again.
  void dropStoredLinks(const CDataTable& relations, std::vector<CDataRow*>* linked,
                       std::vector<CDataRow*>* links);
  // One row of pass 1 on the fast path: found or not, then written alone or added to `*sets`
  // (null: rows are written one at a time).
  void writeRowFast(CDataRow* row, bool keyed, StoredKeys* keys, TableSets* sets,
                    PreparedStatements* prepared);
  // Writes every set of the table, then the rows that waited for them, until none is left.
  void flushTable(TableSets* sets, StoredKeys* keys, PreparedStatements* prepared);
  // One row of the fast path, on its own: the update of a row found by `where` (its key cells
  // or, with `byPrimaryKey`, its primary key cells), and the insert of a new row, which takes
  // its identity and is remembered in `*keys` (may be null).
  void updateFoundRow(CDataRow* row, const std::vector<std::u16string>& set,
                      const std::vector<std::u16string>& where, bool byPrimaryKey,
                      PreparedStatements* prepared);
  void insertNewRow(CDataRow* row, const std::vector<std::u16string>& columns,
                    PreparedStatements* prepared, StoredKeys* keys);
  // Adds a row to `*pending` (an insert, or an update), writing what is pending first when the row
  // does not fit there (another statement, its key there already, the set full). `key` empty: no
  // key to watch.
  void queueRow(PendingRows* pending, bool insert, CDataRow* row,
                const std::vector<std::u16string>& columns,
                const std::vector<std::u16string>& where, bool byPrimaryKey,
                const std::u16string& key, PreparedStatements* prepared, StoredKeys* keys);
  // Writes the pending rows in one statement inside a savepoint; when it fails, the savepoint is
  // rolled back and the rows are written one by one, so that a failing row costs only itself
  // and is logged as on the statement path.
  void flushRows(PendingRows* pending, PreparedStatements* prepared, StoredKeys* keys);
  // Runs `statement` (true when it succeeded) as one row's statement: fenced by a savepoint
  // where a failed statement would abort the transaction; a failure that ends the transaction is
  // recorded in report_.fatal.
  bool fenced(const std::function<bool()>& statement);
  // Runs one statement of a row (or a row's existence query, with `query`). In the import's
  // transaction on a system where a failed statement aborts the transaction, the statement is
  // fenced by a savepoint. A failure that ends the transaction is recorded in report_.fatal.
  bool runRowStatement(const std::u16string& text, bool query = false);
  bool noteFailure();
  void rowFailed(const CDataRow* row);
  // Every row the table holds in the database, in one read.
  std::vector<CDataCommand::ResultRow> readExistingRows(const CDataTable* table);

  std::u16string identifierQuote_;
  UpdateReport report_;
  std::set<const CDataRow*> failedRows_;
  // Inside the import's transaction: commits the schema changes so far, which reach as far as
  // `reached` says, and begins anew, keeping the import's lock. False (report_.fatal says why)
  // when that fails.
  bool commitSchemaPart(const SchemaCommitted& reached);

  bool inImport_ = false;
  bool importLocked_ = false;
  SchemaCommitted schemaCommitted_;
  bool fastWrite_ = true;
  std::function<void()> rowObserver_;
};
