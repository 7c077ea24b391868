// The connection to one ODBC data source: connecting, the driver's catalog, and running SQL
// text. Results arrive as text rows in getRows().
//
// The owner calls disconnect() before destroying the command; a connection left open is closed
// by the destructor. One thread uses a command at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "adapter/data_command.h"
#include "adapter/odbc_failure.h"
#include "adapter/sql_dialect.h"

class CODBCCommand : public CDataCommand {
 public:
  // Allocates the ODBC environment (version 3). A failure is logged and leaves the command
  // unable to connect.
  CODBCCommand();
  // Closes a connection the owner left open, then frees the environment.
  ~CODBCCommand() override;

  // How a statement ended: SQL_NO_DATA (an UPDATE or DELETE that matched nothing, an
  // INSERT ... SELECT of no rows) is no failure, but callers may want to know it.
  enum class Outcome { kDone, kNoRows, kFailed };

  // Opens the data source with a login time-out of 20 seconds. On failure the driver's messages
  // are logged at ERROR and the command stays disconnected. On success the SQL dialect is chosen
  // from the driver's DBMS name, and the way text crosses to the driver from what the driver
  // can do (see odbc_text.h).
  // With `mayCreateDatabase` false, a driver that would create a missing database file (the
  // SQLite driver does) is asked not to: such a data source then fails to open.
  bool connect(const std::u16string& dataSource, const std::u16string& user,
               const std::u16string& password, bool mayCreateDatabase = true);
  void disconnect();
  bool isConnected() const;

  // The driver's identifier quote (SQL_IDENTIFIER_QUOTE_CHAR); empty when it cannot be read.
  std::u16string getIdentifierQuote();
  // The driver's SQL_DBMS_NAME; empty when it cannot be read.
  std::u16string getDbmsName();
  // The default dialect until a connection has been made.
  const SqlDialect& getDialect() const { return dialect_; }

  // Catalog queries. Each replaces getRows() and returns the number of rows. A query that does
  // not run (no connection, the call fails) leaves no rows: a result is never the previous
  // query's. queryPrimaryKeys and queryStatistics return -1 when the driver lacks the function.
  int queryTables();
  int queryColumns(const std::u16string& table);
  int queryPrimaryKeys(const std::u16string& table);
  int queryStatistics(const std::u16string& table);
  int queryTypeInfo();
  // One row ("COLUMN_NAME", name) per column of the table that the database generates.
  int queryAutoIncrementColumns(const std::u16string& table);
  // For each row of getRows(), the value of the first pair named `column` (ignoring case).
  std::vector<std::u16string> getColumnValues(const std::u16string& column) const;

  // Runs a statement that returns no rows; getRows() is not touched. The text is logged at INFO.
  // A failure is logged (SQLSTATE, native code, message) and kept in lastFailure().
  Outcome execute(const std::u16string& text);
  // Runs a query and replaces getRows() by its result. On failure the diagnostics are logged,
  // kept in lastFailure(), and getRows() is empty.
  bool executeQuery(const std::u16string& text);
  // Runs a query and hands its rows to `*sink` as they are fetched; getRows() is emptied. On
  // failure as above, and the sink may have seen part of the result.
  bool executeQuery(const std::u16string& text, RowSink* sink);
  // The failure of the last statement that failed; empty before any failed. clearFailure()
  // forgets it.
  const odbc::Failure& lastFailure() const { return lastFailure_; }
  void clearFailure() { lastFailure_ = odbc::Failure(); }
  // One row (name, "") per data source the driver manager knows; returns their number.
  int listDataSources();

  // Manual transactions for statements that must succeed or fail together. beginTransaction
  // switches auto-commit off; endTransaction commits or rolls back and switches it on again.
  bool beginTransaction();
  bool endTransaction(bool commit);
  // beginTransaction for reading only: every query until endTransaction sees the database as it
  // was at the first of them (PostgreSQL's repeatable read; SQLite's transactions always do).
  bool beginReadTransaction();

 private:
  // Into `*sink`, or into getRows() when it is null.
  bool runQuery(const std::u16string& text, RowSink* sink);

  struct Handles;
  std::unique_ptr<Handles> handles_;
  SqlDialect dialect_;
  std::u16string identifierQuote_;
  odbc::Failure lastFailure_;
};
