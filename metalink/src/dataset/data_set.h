// The in-memory data set through which metadata travels between the database side and the
// library side: tables of columns and multi-valued rows, with links between rows.
//
// Ownership: a data set owns its tables, a table its columns and rows. Rows refer to other rows
// (relatedRows, referencedRows) without owning them; such links stay valid while the data set
// lives, as only tables delete rows. All text is UTF-16.
//
// Name lookups on tables and columns and the value comparisons of findRowByIdentity and
// findRowsMatching ignore case; findRowsByIdentity, the map orders and addKeyColumn are exact.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "util/cell_text.h"

class CDataSet;
class CDataTable;

// The data types of columns are ODBC's type codes (SQL_INTEGER, SQL_WCHAR, ...), written by value
// so that the data set does not depend on the ODBC headers.
namespace sql_type {
inline constexpr int32_t kInteger = 4;
inline constexpr int32_t kWideChar = -8;
inline constexpr int32_t kWideVarchar = -9;
inline constexpr int32_t kWideLongVarchar = -10;
}  // namespace sql_type

class CDataColumn {
 public:
  // Every column the connector builds itself is marked to be added to the database table.
  static constexpr uint32_t kAddToTable = 2;

  CDataColumn(CDataTable* table, std::u16string name, int32_t dataType, uint32_t size,
              std::u16string defaultValue, bool autoIncrement, bool primaryKey, uint32_t flags);
  virtual ~CDataColumn() = default;
  CDataColumn(const CDataColumn&) = delete;
  CDataColumn& operator=(const CDataColumn&) = delete;

  const std::u16string& getName() const { return name_; }
  int32_t getDataType() const { return dataType_; }
  uint32_t getSize() const { return size_; }
  const std::u16string& getDefaultValue() const { return defaultValue_; }
  bool isAutoIncrement() const { return autoIncrement_; }
  bool isPrimaryKey() const { return primaryKey_; }
  void setPrimaryKey(bool primaryKey) { primaryKey_ = primaryKey; }
  uint32_t getFlags() const { return flags_; }
  CDataTable* getTable() const { return table_; }

 private:
  std::u16string name_;
  int32_t dataType_;
  uint32_t size_;
  std::u16string defaultValue_;
  bool autoIncrement_;
  bool primaryKey_;
  uint32_t flags_;
  CDataTable* table_;
};

// A column name as a row's cell holds it: a link to the one copy its table keeps, so that a
// name is stored once per table, not once per row. Reads as the name itself.
class CDataName {
 public:
  explicit CDataName(const std::u16string* text) : text_(text) {}
  const std::u16string& str() const { return *text_; }
  operator const std::u16string&() const { return *text_; }
  operator std::u16string_view() const { return *text_; }

 private:
  const std::u16string* text_;
};
inline bool operator==(const CDataName& a, const CDataName& b) { return a.str() == b.str(); }
inline bool operator==(const CDataName& a, std::u16string_view b) { return a.str() == b; }
inline bool operator==(std::u16string_view a, const CDataName& b) { return a == b.str(); }
inline bool operator!=(const CDataName& a, std::u16string_view b) { return !(a == b); }
inline bool operator<(const CDataName& a, const CDataName& b) { return a.str() < b.str(); }

// The values of one cell. Nearly every cell holds one value, kept in place; more go to a list
// made only for them.
class CDataValues {
 public:
  CDataValues() = default;
  explicit CDataValues(std::u16string value) : first_(std::move(value)), count_(1) {}
  CDataValues(CDataValues&&) noexcept = default;
  CDataValues& operator=(CDataValues&&) noexcept = default;

  bool empty() const { return count_ == 0; }
  size_t size() const { return count_; }
  // The first value; only when not empty.
  const std::u16string& front() const { return first_; }
  void push_back(std::u16string value);
  void clear();
  // Replaces `*out` by every value, in order.
  void copyTo(std::vector<std::u16string>* out) const;

 private:
  std::u16string first_;
  std::unique_ptr<std::vector<std::u16string>> more_;
  size_t count_ = 0;
};

// The cells of a row in code-unit order of their column names, as an ordered map would list
// them, held in one block: entries read as (first: column name, second: values).
class CDataCells {
 public:
  struct Cell {
    CDataName first;
    CDataValues second;
  };
  using iterator = std::vector<Cell>::iterator;
  using const_iterator = std::vector<Cell>::const_iterator;

  iterator begin() { return cells_.begin(); }
  iterator end() { return cells_.end(); }
  const_iterator begin() const { return cells_.begin(); }
  const_iterator end() const { return cells_.end(); }
  bool empty() const { return cells_.empty(); }
  size_t size() const { return cells_.size(); }
  iterator find(std::u16string_view column);
  const_iterator find(std::u16string_view column) const;
  size_t count(std::u16string_view column) const { return find(column) != end() ? 1 : 0; }

  // The cell of `column` (a name kept by the table), added empty in its place when missing.
  CDataValues& cell(const std::u16string* column);
  void reserve(size_t cells) { cells_.reserve(cells); }

 private:
  const_iterator lowerBound(std::u16string_view column) const;
  std::vector<Cell> cells_;
};

class CDataRow {
 public:
  using Values = CDataCells;
  using RelatedRows = std::map<std::u16string, std::vector<CDataRow*>>;
  using ReferencedRows = std::map<std::u16string, CDataRow*>;

  CDataRow(CDataTable* table, uint32_t state);
  virtual ~CDataRow() = default;
  CDataRow(const CDataRow&) = delete;
  CDataRow& operator=(const CDataRow&) = delete;

  uint32_t getState() const { return state_; }
  CDataTable* getTable() const { return table_; }
  Values& getValueMap() { return values_; }
  const Values& getValueMap() const { return values_; }
  // Filled through addRelatedRow and setReferencedRow only.
  const RelatedRows& getRelatedRows() const;
  std::vector<std::u16string>& getKeyColumns() { return keyColumns_; }
  const std::vector<std::u16string>& getKeyColumns() const { return keyColumns_; }
  const ReferencedRows& getReferencedRows() const;

  bool hasValue(const std::u16string& column) const;
  // The first value of the cell; empty when the row has no entry for the column.
  std::u16string getValue(const std::u16string& column) const;
  // Copies every value of the cell; false when the row has no entry for the column.
  bool getValues(const std::u16string& column, std::vector<std::u16string>* out) const;
  void addValue(const std::u16string& column, std::u16string value);
  // The cell afterwards holds exactly `value`.
  void setValue(const std::u16string& column, std::u16string value);
  // The value of the table's identity column; empty when the table has none.
  std::u16string getIdentityValue() const;

  // A row already filed under the relation is not filed again.
  void addRelatedRow(const std::u16string& relation, CDataRow* row);
  void setReferencedRow(const std::u16string& column, CDataRow* row);
  void addKeyColumn(const std::u16string& column);

 private:
  CDataValues& cell(const std::u16string& column);
  // Most rows link to no other row: the links are made only for those that do, as a data set
  // holds a row for every row of the tables it reads.
  struct Links {
    RelatedRows related;
    ReferencedRows referenced;
  };
  Links& links();

  Values values_;
  uint32_t state_;
  CDataTable* table_;
  std::vector<std::u16string> keyColumns_;
  std::unique_ptr<Links> links_;
};

class CDataTable {
 public:
  using ColumnValuePairs = std::vector<std::pair<std::u16string, std::u16string>>;

  CDataTable(CDataSet* dataSet, std::u16string name, uint32_t kind);
  // Columns are destroyed before rows.
  virtual ~CDataTable();
  CDataTable(const CDataTable&) = delete;
  CDataTable& operator=(const CDataTable&) = delete;

  const std::u16string& getName() const { return name_; }
  CDataSet* getDataSet() const { return dataSet_; }
  uint32_t getKind() const { return kind_; }
  const std::vector<std::unique_ptr<CDataColumn>>& getColumns() const { return columns_; }
  const std::vector<std::unique_ptr<CDataRow>>& getRows() const { return rows_; }

  // The table takes ownership; the pointer passed stays valid for the table's life.
  CDataColumn* addColumn(std::unique_ptr<CDataColumn> column);
  CDataRow* addRow(std::unique_ptr<CDataRow> row);
  // Links held by other rows to these rows dangle afterwards: clear only unlinked rows.
  void clearRows();

  CDataColumn* findColumn(const std::u16string& name) const;
  // The table's one copy of a column name that its rows' cells link to; it lives as long as
  // the table.
  const std::u16string* keepName(const std::u16string& name);
  bool hasPrimaryKey() const;
  bool isPrimaryKeyColumn(const std::u16string& name) const;
  // The first auto-increment column in column order.
  CDataColumn* getIdentityColumn() const;
  // First row whose identity value equals `text` ignoring case; null without identity column.
  CDataRow* findRowByIdentity(const std::u16string& text) const;
  // Rows whose identity value is in `texts` (exact comparison), in row order.
  std::vector<CDataRow*> findRowsByIdentity(const std::vector<std::u16string>& texts) const;
  // Rows whose value in each named column equals the paired value ignoring case. Empty when the
  // table has no identity column, whatever the pairs.
  std::vector<CDataRow*> findRowsMatching(const ColumnValuePairs& pairs) const;

 private:
  // Declared first so that it outlives the rows whose cells link to it.
  std::unordered_set<std::u16string> names_;
  std::vector<std::unique_ptr<CDataColumn>> columns_;
  std::vector<std::unique_ptr<CDataRow>> rows_;
  uint32_t kind_;
  std::u16string name_;
  CDataSet* dataSet_;
};

class CDataSet {
 public:
  using Tables = std::map<std::u16string, std::unique_ptr<CDataTable>>;

  explicit CDataSet(std::u16string name);
  virtual ~CDataSet() = default;
  CDataSet(const CDataSet&) = delete;
  CDataSet& operator=(const CDataSet&) = delete;

  const std::u16string& getName() const { return name_; }
  const Tables& getTables() const { return tables_; }
  // Joins the values of a multi-valued cell into one database value.
  const std::u16string& getValueSeparator() const { return valueSeparator_; }

  // First table, in map order, whose name equals `name` ignoring case.
  CDataTable* getTable(const std::u16string& name) const;
  // Creates an empty table under `name`; an existing table of that exact name stays. Returns the
  // table now filed under `name`.
  CDataTable* addTable(const std::u16string& name);

  // The first name registered for a code stays.
  void addTypeName(int32_t code, const std::u16string& typeName);
  std::u16string getTypeName(int32_t code) const;
  const std::map<int32_t, std::u16string>& getTypeNames() const { return typeNames_; }

 private:
  std::u16string name_;
  Tables tables_;
  std::map<int32_t, std::u16string> typeNames_;
  std::u16string valueSeparator_ = cell_text::kValueSeparator;
};
