// The base tables of a data source and their columns, read from the driver's catalog in two calls
// (every table, then every column), so that checking or reading a schema of thousands of tables
// does not ask the catalog once per table.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "adapter/data_command.h"

class CODBCCommand;

class SchemaCatalog {
 public:
  // Reads the catalog through the command's connection; any earlier content is replaced.
  // `namesIgnoreCase`: whether the database matches table names ignoring case (SQLite does).
  // `identityQuery` and `keyQuery`, when not empty, list (table, column) of every generated
  // column and every primary key column, so that neither needs a catalog call per table; false
  // when one of them failed.
  bool read(CODBCCommand* command, bool namesIgnoreCase, const std::u16string& identityQuery,
            const std::u16string& keyQuery = std::u16string());

  // The base tables in the order the catalog lists them.
  const std::vector<std::u16string>& tableNames() const { return tableNames_; }
  // A name that matches exactly wins over one that differs only in case.
  bool hasTable(const std::u16string& table) const { return !catalogName(table).empty(); }
  // The catalog's rows of the table's columns ("COLUMN_NAME", "DATA_TYPE", ...), in column
  // order; empty when the table does not exist.
  const std::vector<CDataCommand::ResultRow>& columnRows(const std::u16string& table) const;
  std::vector<std::u16string> columnNames(const std::u16string& table) const;

  // Whether the identity query ran; then identityColumns tells for each existing table.
  bool knowsIdentities() const { return knowsIdentities_; }
  std::vector<std::u16string> identityColumns(const std::u16string& table) const;
  // Likewise for the primary key columns.
  bool knowsKeys() const { return knowsKeys_; }
  std::vector<std::u16string> keyColumns(const std::u16string& table) const;

 private:
  // The catalog name of `table`, empty when there is no such table.
  std::u16string catalogName(const std::u16string& table) const;
  using ColumnsByTable = std::map<std::u16string, std::vector<std::u16string>>;
  // Runs a query of (table, column) rows into *out; false when it failed.
  static bool readPairs(CODBCCommand* command, const std::u16string& query, ColumnsByTable* out);
  std::vector<std::u16string> find(const ColumnsByTable& map, const std::u16string& table) const;

  bool namesIgnoreCase_ = false;
  bool knowsIdentities_ = false;
  bool knowsKeys_ = false;
  std::vector<std::u16string> tableNames_;
  std::map<std::u16string, std::vector<CDataCommand::ResultRow>> columns_;
  ColumnsByTable identities_;
  ColumnsByTable keys_;
  std::map<std::u16string, std::u16string> foldedNames_;  // lower-case name -> catalog name
};
