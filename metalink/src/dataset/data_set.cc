#include "dataset/data_set.h"

#include <algorithm>

#include "util/wide_text.h"

namespace {

// Where a row keeps the names of its cells: with its table; a row made without a table (which
// the connector never does) shares one process-wide list, which only grows by distinct names.
const std::u16string* keptName(CDataTable* table, const std::u16string& name) {
  if (table != nullptr) return table->keepName(name);
  static std::unordered_set<std::u16string> names;
  return &*names.insert(name).first;
}

}  // namespace

CDataColumn::CDataColumn(CDataTable* table, std::u16string name, int32_t dataType, uint32_t size,
                         std::u16string defaultValue, bool autoIncrement, bool primaryKey,
                         uint32_t flags)
    : name_(std::move(name)),
      dataType_(dataType),
      size_(size),
      defaultValue_(std::move(defaultValue)),
      autoIncrement_(autoIncrement),
      primaryKey_(primaryKey),
      flags_(flags),
      table_(table) {}

void CDataValues::push_back(std::u16string value) {
  if (count_ == 0) {
    first_ = std::move(value);
  } else {
    if (more_ == nullptr) more_ = std::make_unique<std::vector<std::u16string>>();
    more_->push_back(std::move(value));
  }
  ++count_;
}

void CDataValues::clear() {
  first_.clear();
  more_.reset();
  count_ = 0;
}

void CDataValues::copyTo(std::vector<std::u16string>* out) const {
  out->clear();
  if (count_ == 0) return;
  out->reserve(count_);
  out->push_back(first_);
  if (more_ != nullptr) out->insert(out->end(), more_->begin(), more_->end());
}

CDataCells::const_iterator CDataCells::lowerBound(std::u16string_view column) const {
  return std::lower_bound(cells_.begin(), cells_.end(), column,
                          [](const Cell& cell, std::u16string_view name) {
                            return std::u16string_view(cell.first) < name;
                          });
}

CDataCells::const_iterator CDataCells::find(std::u16string_view column) const {
  const auto it = lowerBound(column);
  return it != cells_.end() && it->first == column ? it : cells_.end();
}

CDataCells::iterator CDataCells::find(std::u16string_view column) {
  const auto it = static_cast<const CDataCells*>(this)->find(column);
  return cells_.begin() + (it - cells_.cbegin());
}

CDataValues& CDataCells::cell(const std::u16string* column) {
  const auto at = lowerBound(*column);
  if (at != cells_.end() && at->first == *column) return cells_[at - cells_.cbegin()].second;
  return cells_.insert(at, Cell{CDataName(column), CDataValues()})->second;
}

CDataRow::CDataRow(CDataTable* table, uint32_t state) : state_(state), table_(table) {}

CDataValues& CDataRow::cell(const std::u16string& column) {
  const auto it = values_.find(column);
  if (it != values_.end()) return it->second;
  // Rows mostly fill a cell for each column of their table: one block from the start.
  if (values_.empty() && table_ != nullptr) values_.reserve(table_->getColumns().size());
  return values_.cell(keptName(table_, column));
}

bool CDataRow::hasValue(const std::u16string& column) const {
  return values_.find(column) != values_.end();
}

std::u16string CDataRow::getValue(const std::u16string& column) const {
  const auto it = values_.find(column);
  if (it == values_.end() || it->second.empty()) return std::u16string();
  return it->second.front();
}

bool CDataRow::getValues(const std::u16string& column, std::vector<std::u16string>* out) const {
  const auto it = values_.find(column);
  if (it == values_.end()) return false;
  it->second.copyTo(out);
  return true;
}

void CDataRow::addValue(const std::u16string& column, std::u16string value) {
  cell(column).push_back(std::move(value));
}

void CDataRow::setValue(const std::u16string& column, std::u16string value) {
  CDataValues& values = cell(column);
  values.clear();
  values.push_back(std::move(value));
}

std::u16string CDataRow::getIdentityValue() const {
  const CDataColumn* identity = table_ ? table_->getIdentityColumn() : nullptr;
  return identity ? getValue(identity->getName()) : std::u16string();
}

CDataRow::Links& CDataRow::links() {
  if (links_ == nullptr) links_ = std::make_unique<Links>();
  return *links_;
}

const CDataRow::RelatedRows& CDataRow::getRelatedRows() const {
  static const RelatedRows none;
  return links_ != nullptr ? links_->related : none;
}

const CDataRow::ReferencedRows& CDataRow::getReferencedRows() const {
  static const ReferencedRows none;
  return links_ != nullptr ? links_->referenced : none;
}

void CDataRow::addRelatedRow(const std::u16string& relation, CDataRow* row) {
  auto& rows = links().related[relation];
  if (std::find(rows.begin(), rows.end(), row) == rows.end()) rows.push_back(row);
}

void CDataRow::setReferencedRow(const std::u16string& column, CDataRow* row) {
  links().referenced[column] = row;
}

void CDataRow::addKeyColumn(const std::u16string& column) {
  if (std::find(keyColumns_.begin(), keyColumns_.end(), column) == keyColumns_.end()) {
    keyColumns_.push_back(column);
  }
}

CDataTable::CDataTable(CDataSet* dataSet, std::u16string name, uint32_t kind)
    : kind_(kind), name_(std::move(name)), dataSet_(dataSet) {}

CDataTable::~CDataTable() {
  columns_.clear();
  rows_.clear();
}

CDataColumn* CDataTable::addColumn(std::unique_ptr<CDataColumn> column) {
  columns_.push_back(std::move(column));
  return columns_.back().get();
}

CDataRow* CDataTable::addRow(std::unique_ptr<CDataRow> row) {
  rows_.push_back(std::move(row));
  return rows_.back().get();
}

void CDataTable::clearRows() { rows_.clear(); }

const std::u16string* CDataTable::keepName(const std::u16string& name) {
  return &*names_.insert(name).first;
}

CDataColumn* CDataTable::findColumn(const std::u16string& name) const {
  for (const auto& column : columns_) {
    if (equalsIgnoreCase(column->getName(), name)) return column.get();
  }
  return nullptr;
}

bool CDataTable::hasPrimaryKey() const {
  return std::any_of(columns_.begin(), columns_.end(),
                     [](const auto& column) { return column->isPrimaryKey(); });
}

bool CDataTable::isPrimaryKeyColumn(const std::u16string& name) const {
  return std::any_of(columns_.begin(), columns_.end(), [&](const auto& column) {
    return column->isPrimaryKey() && equalsIgnoreCase(column->getName(), name);
  });
}

CDataColumn* CDataTable::getIdentityColumn() const {
  for (const auto& column : columns_) {
    if (column->isAutoIncrement()) return column.get();
  }
  return nullptr;
}

CDataRow* CDataTable::findRowByIdentity(const std::u16string& text) const {
  const CDataColumn* identity = getIdentityColumn();
  if (identity == nullptr) return nullptr;
  for (const auto& row : rows_) {
    if (equalsIgnoreCase(row->getValue(identity->getName()), text)) return row.get();
  }
  return nullptr;
}

std::vector<CDataRow*> CDataTable::findRowsByIdentity(
    const std::vector<std::u16string>& texts) const {
  std::vector<CDataRow*> found;
  const CDataColumn* identity = getIdentityColumn();
  if (identity == nullptr) return found;
  for (const auto& row : rows_) {
    const std::u16string value = row->getValue(identity->getName());
    if (std::find(texts.begin(), texts.end(), value) != texts.end()) found.push_back(row.get());
  }
  return found;
}

std::vector<CDataRow*> CDataTable::findRowsMatching(const ColumnValuePairs& pairs) const {
  std::vector<CDataRow*> found;
  if (getIdentityColumn() == nullptr) return found;
  for (const auto& row : rows_) {
    const bool matches = std::all_of(pairs.begin(), pairs.end(), [&](const auto& pair) {
      return equalsIgnoreCase(row->getValue(pair.first), pair.second);
    });
    if (matches) found.push_back(row.get());
  }
  return found;
}

CDataSet::CDataSet(std::u16string name) : name_(std::move(name)) {}

CDataTable* CDataSet::getTable(const std::u16string& name) const {
  for (const auto& entry : tables_) {
    if (equalsIgnoreCase(entry.first, name)) return entry.second.get();
  }
  return nullptr;
}

CDataTable* CDataSet::addTable(const std::u16string& name) {
  auto it = tables_.find(name);
  if (it == tables_.end()) {
    it = tables_.emplace(name, std::make_unique<CDataTable>(this, name, 1)).first;
  }
  return it->second.get();
}

void CDataSet::addTypeName(int32_t code, const std::u16string& typeName) {
  typeNames_.emplace(code, typeName);
}

std::u16string CDataSet::getTypeName(int32_t code) const {
  const auto it = typeNames_.find(code);
  return it == typeNames_.end() ? std::u16string() : it->second;
}
