// The database side of the sync map: the tables and columns that mapped properties name.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

class CEDATable;

// One mapped column. Owned by its table; `getTable` is a link.
class CEDAColumn {
 public:
  CEDAColumn(CEDATable* table, const std::string& name);
  virtual ~CEDAColumn() = default;
  CEDAColumn(const CEDAColumn&) = delete;
  CEDAColumn& operator=(const CEDAColumn&) = delete;

  const std::string& getName() const { return name_; }
  CEDATable* getTable() const { return table_; }

 private:
  std::string name_;
  CEDATable* table_;
};

// One mapped table with its columns, ordered by exact (case-sensitive) column name.
class CEDATable {
 public:
  explicit CEDATable(const std::string& name);
  virtual ~CEDATable() = default;
  CEDATable(const CEDATable&) = delete;
  CEDATable& operator=(const CEDATable&) = delete;

  // The name as first written in the mapping file.
  const std::string& getName() const { return name_; }
  // The column of exactly that name, or null.
  CEDAColumn* getColumn(const std::string& name) const;
  // Takes ownership and returns the column. When a column of that name is listed already, the
  // listed one stays; the new record is still kept alive (a property may refer to it) but is not
  // listed.
  CEDAColumn* addColumn(std::unique_ptr<CEDAColumn> column);
  // Listed column names in byte order.
  std::vector<std::string> getColumnNames() const;

 private:
  std::string name_;
  std::map<std::string, std::unique_ptr<CEDAColumn>> columns_;
  std::vector<std::unique_ptr<CEDAColumn>> unlisted_;
};
