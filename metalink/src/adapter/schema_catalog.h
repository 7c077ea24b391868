// The base tables of a data source and their columns, read from the driver's catalog in two calls
// (every table, then every column), so that checking a map of thousands of tables does not ask
// the catalog once per table or column.
#pragma once

#include <map>
#include <string>
#include <vector>

class CODBCCommand;

class SchemaCatalog {
 public:
  // Reads the catalog through the command's connection; any earlier content is replaced.
  // `namesIgnoreCase`: whether the database matches table names ignoring case (SQLite does).
  void read(CODBCCommand* command, bool namesIgnoreCase);

  // The columns of a base table in catalog order; null when the table does not exist. A name
  // that matches exactly wins over one that differs only in case.
  const std::vector<std::u16string>* columns(const std::u16string& table) const;

 private:
  bool namesIgnoreCase_ = false;
  std::map<std::u16string, std::vector<std::u16string>> columns_;
  std::map<std::u16string, std::u16string> foldedNames_;  // lower-case name -> catalog name
};
