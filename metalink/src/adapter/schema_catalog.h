// The base tables of a data source and their columns, read from the driver's catalog in two calls
// (every table, then every column), so that checking a map of thousands of tables does not ask
// the catalog once per table or column.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

class CODBCCommand;

class SchemaCatalog {
 public:
  // Reads the catalog through the command's connection; any earlier content is replaced.
  // `namesIgnoreCase`: whether the database matches table names ignoring case (SQLite does).
  // `identityQuery`, when not empty, lists (table, column) of every generated column, so that
  // identities need no probe per table; false when that query failed.
  bool read(CODBCCommand* command, bool namesIgnoreCase, const std::u16string& identityQuery);

  // The columns of a base table in catalog order; null when the table does not exist. A name
  // that matches exactly wins over one that differs only in case.
  const std::vector<std::u16string>* columns(const std::u16string& table) const;
  // Whether the identity query ran; then hasIdentity tells for each existing table.
  bool knowsIdentities() const { return knowsIdentities_; }
  bool hasIdentity(const std::u16string& table) const;

 private:
  // The catalog name of `table`, empty when there is no such table.
  std::u16string catalogName(const std::u16string& table) const;

  bool namesIgnoreCase_ = false;
  bool knowsIdentities_ = false;
  std::set<std::u16string> identityTables_;
  std::map<std::u16string, std::vector<std::u16string>> columns_;
  std::map<std::u16string, std::u16string> foldedNames_;  // lower-case name -> catalog name
};
