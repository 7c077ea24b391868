#include "adapter/edalib_adapter.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "adapter/edalib_command.h"
#include "adapter/odbc_adapter.h"
#include "dataset/data_set.h"
#include "library/eda_library.h"
#include "syncmap/eda_sync_map.h"
#include "util/cell_text.h"
#include "util/message_logger.h"
#include "util/text_conversion.h"
#include "util/wide_text.h"

namespace {

constexpr const char* kSource = "DataAdapter";
constexpr const char* kItemClass = "EDAItem";

std::u16string folded(const std::u16string& text) {
  std::u16string out(text);
  for (char16_t& c : out) c = foldCase(c);
  return out;
}

// The first value of a cell; a column spelled in another letter case (as some drivers report
// unquoted names) is found too.
std::u16string cellText(const CDataRow& row, const std::u16string& column) {
  if (column.empty()) return std::u16string();
  const auto& values = row.getValueMap();
  auto it = values.find(column);
  if (it == values.end()) {
    it = std::find_if(values.begin(), values.end(),
                      [&](const auto& entry) { return equalsIgnoreCase(entry.first, column); });
  }
  if (it == values.end() || it->second.empty()) return std::u16string();
  return it->second.front();
}

std::vector<std::u16string> splitParts(const std::u16string& text) {
  const std::u16string separator = cell_text::kPartSeparator;
  std::vector<std::u16string> parts;
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::u16string::npos;
       at = text.find(separator, start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  parts.push_back(text.substr(start));
  return parts;
}

bool equalsIgnoreCaseUtf8(const std::string& a, const std::string& b) {
  return equalsIgnoreCase(toWide(a), toWide(b));
}

std::u16string columnOf(const CEDAProperty* property) {
  return property != nullptr && property->isMapped() ? toWide(property->getColumn()->getName())
                                                     : std::u16string();
}

std::u16string tableNameOf(const CEDAElement* element) {
  const CEDATable* table = element != nullptr ? element->getMappedTable() : nullptr;
  return table != nullptr ? toWide(table->getName()) : std::u16string();
}

// Depth first, parent before children: the first element stored in `tableName` that maps an
// "itemId" property.
CEDAElement* itemElementOfTable(const std::vector<CEDAElement*>& elements,
                                const std::u16string& tableName) {
  for (CEDAElement* element : elements) {
    if (equalsIgnoreCase(tableNameOf(element), tableName) &&
        !columnOf(element->getProperty("itemId")).empty()) {
      return element;
    }
    if (CEDAElement* nested = itemElementOfTable(element->getChildren(), tableName)) return nested;
  }
  return nullptr;
}

bool isRelated(const EDAWorkspaceObject* parent, const std::string& type,
               const EDAWorkspaceObject* object) {
  for (const EDARelation* relation : parent->getRelations()) {
    if (relation->getPrimary() == parent && relation->getSecondary() == object &&
        relation->getRelationType() == type) {
      return true;
    }
  }
  return false;
}

}  // namespace

// Identity and link lookups for one updateLibrary run. Tables are indexed on first use; a table
// whose rows are replaced must be forgotten.
class CEDALibAdapter::RowIndex {
 public:
  explicit RowIndex(CDataSet* dataSet) {
    CDataTable* relations = dataSet->getTable(CODBCAdapter::kRelationsTable);
    if (relations == nullptr) return;
    for (const auto& row : relations->getRows()) {
      const std::u16string primaryId = row->getValue(u"PrimaryID");
      if (primaryId.empty()) continue;
      links_[{folded(row->getValue(u"PrimaryTable")), folded(primaryId)}]
            [row->getValue(u"SecondaryTable")]
                .push_back(row->getValue(u"SecondaryID"));
    }
  }

  // Secondary table name -> identity values of the rows linked from (table, identity).
  const std::map<std::u16string, std::vector<std::u16string>>* links(
      const std::u16string& table, const std::u16string& identity) const {
    const auto it = links_.find({folded(table), folded(identity)});
    return it == links_.end() ? nullptr : &it->second;
  }

  // The rows whose identity value is one of `ids` (exactly), in table order.
  std::vector<CDataRow*> rowsByIdentity(CDataTable* table, const std::vector<std::u16string>& ids) {
    const auto& byIdentity = tableIndex(table);
    std::vector<size_t> positions;
    for (const std::u16string& id : ids) {
      const auto it = byIdentity.find(id);
      if (it != byIdentity.end())
        positions.insert(positions.end(), it->second.begin(), it->second.end());
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    std::vector<CDataRow*> rows;
    for (size_t position : positions) rows.push_back(table->getRows()[position].get());
    return rows;
  }

  // The first row with that identity value, ignoring case.
  CDataRow* rowByIdentity(CDataTable* table, const std::u16string& id) {
    const auto& byIdentity = tableIndex(table);
    const auto it = byIdentity.find(id);
    if (it != byIdentity.end()) return table->getRows()[it->second.front()].get();
    return table->findRowByIdentity(id);
  }

  void forgetTables() { tables_.clear(); }

 private:
  using IdentityMap = std::unordered_map<std::u16string, std::vector<size_t>>;

  const IdentityMap& tableIndex(CDataTable* table) {
    auto found = tables_.find(table);
    if (found != tables_.end()) return found->second;
    IdentityMap& byIdentity = tables_[table];
    const auto& rows = table->getRows();
    if (table->getIdentityColumn() != nullptr) {
      for (size_t i = 0; i < rows.size(); ++i) byIdentity[rows[i]->getIdentityValue()].push_back(i);
    }
    return byIdentity;
  }

  std::map<std::pair<std::u16string, std::u16string>,
           std::map<std::u16string, std::vector<std::u16string>>>
      links_;
  std::map<CDataTable*, IdentityMap> tables_;
};

// What rowsToObjects reads from an element, worked out once per call.
struct CEDALibAdapter::ElementInfo {
  CEDAElement* element = nullptr;
  std::string type;
  std::u16string tableName;
  std::u16string typeColumn;
  std::u16string nameColumn;
  std::u16string itemIdColumn;
  bool hasItemId = false;
  // Non-required mapped properties: (property name, column name).
  std::vector<std::pair<std::string, std::u16string>> values;
};

CEDALibAdapter::CEDALibAdapter(CDataCommand* command, CEDASyncMap* syncMap)
    : CDataAdapter(command), syncMap_(syncMap) {}

CEDALibAdapter::~CEDALibAdapter() = default;

CEDALibCommand* CEDALibAdapter::libraryCommand() const {
  return dynamic_cast<CEDALibCommand*>(command_);
}

bool CEDALibAdapter::update(CDataSet* dataSet) {
  return updateLibrary(nullptr, dataSet, true, nullptr);
}

bool CEDALibAdapter::fillTable(CDataTable* /*table*/) { return false; }

// ---- library to rows -------------------------------------------------------------------------

void CEDALibAdapter::fill(CDataSet* dataSet) {
  CEDALibCommand* library = libraryCommand();
  if (library == nullptr || dataSet == nullptr || syncMap_ == nullptr) return;
  for (CEDAElement* element : syncMap_->getElements()) {
    if (!element->hasMapping()) continue;
    const std::vector<EDAWorkspaceObject*> objects = library->getObjects(element->getType());
    if (!objects.empty()) objectsToRows(dataSet, nullptr, element, objects);
  }
}

void CEDALibAdapter::objectsToRows(CDataSet* dataSet, CDataRow* parent, CEDAElement* element,
                                   const std::vector<EDAWorkspaceObject*>& objects) {
  CEDALibCommand* library = libraryCommand();
  if (library == nullptr || dataSet == nullptr || element == nullptr || objects.empty() ||
      !element->hasMapping()) {
    return;
  }
  CDataTable* table = dataSet->getTable(tableNameOf(element));
  const std::vector<CEDAProperty*> properties = element->getMappedProperties();
  const std::u16string relation = toWide(element->getRelation());
  std::map<std::string, std::string> values;
  for (const std::string& name : element->getMappedPropertyNames()) values[name];

  for (EDAWorkspaceObject* object : objects) {
    if (!equalsIgnoreCaseUtf8(object->getType(), element->getType())) continue;
    if (table == nullptr) continue;
    object->getValues(&values, true);
    auto newRow = std::make_unique<CDataRow>(table, 1);
    CDataRow* row = newRow.get();
    for (const CEDAProperty* property : properties) {
      const std::string& columnName = property->getColumn()->getName();
      const std::u16string column = toWide(columnName);
      const EDAAttribute* attribute = object->getAttribute(columnName);
      if (attribute == nullptr) {
        row->addValue(column, toWide(values[property->getName()]));
      } else if (attribute->isReference()) {
        // A reference that names no item of this library leaves the cell without value.
        EDAWorkspaceObject* target = library->findObject(attribute->getValue());
        if (CDataRow* targetRow = referenceRow(dataSet, target)) {
          row->setReferencedRow(column, targetRow);
        }
      } else {
        std::string text = attribute->getValue();
        if (!attribute->getUnit().empty())
          text += cell_text::kPartSeparatorUtf8 + attribute->getUnit();
        row->addValue(column, toWide(text));
      }
      if (property->isRequired()) row->addKeyColumn(column);
    }
    // Added after the rows of its references, which are written first and so exist when this
    // row's reference cells are set.
    table->addRow(std::move(newRow));
    if (parent != nullptr) parent->addRelatedRow(relation, row);

    for (CEDAElement* child : element->getChildren()) {
      const std::string& childRelation = child->getRelation();
      // Views (footprints and the like) belong to parts only.
      if (childRelation == "view" && object->getClassName() != kItemClass) continue;
      std::vector<EDAWorkspaceObject*> secondaries;
      object->getSecondaryObjects(childRelation, child->getType(), &secondaries);
      secondaries.erase(std::remove_if(secondaries.begin(), secondaries.end(),
                                       [&](const EDAWorkspaceObject* secondary) {
                                         return secondary->getType() != child->getType();
                                       }),
                        secondaries.end());
      if (!secondaries.empty()) objectsToRows(dataSet, row, child, secondaries);
    }
  }
}

// The referenced item's row carries its identifying values in the columns its own element maps,
// keyed like the item's own row, so that writing it finds (or becomes) that row and the
// reference cell gets the row's identity.
CDataRow* CEDALibAdapter::referenceRow(CDataSet* dataSet, EDAWorkspaceObject* target) {
  if (target == nullptr || target->getClassName() != kItemClass) return nullptr;
  CEDAElement* targetElement = nullptr;
  CDataTable* targetTable = nullptr;
  for (CEDAElement* element :
       syncMap_->findElementsByType(syncMap_->getElements(), target->getType())) {
    if (CDataTable* candidate = dataSet->getTable(tableNameOf(element))) {
      targetElement = element;
      targetTable = candidate;
      break;
    }
  }
  if (targetElement == nullptr) return nullptr;
  auto row = std::make_unique<CDataRow>(targetTable, 1);
  for (const CEDAProperty* property : targetElement->getMappedProperties()) {
    const std::string& name = property->getName();
    const bool identifying = equalsIgnoreCaseUtf8(name, "itemId") ||
                             equalsIgnoreCaseUtf8(name, "name") ||
                             equalsIgnoreCaseUtf8(name, "type");
    if (!identifying && !property->isRequired()) continue;
    const std::u16string column = toWide(property->getColumn()->getName());
    row->setValue(column, toWide(target->getValue(name, true)));
    if (property->isRequired()) row->addKeyColumn(column);
  }
  return targetTable->addRow(std::move(row));
}

// ---- rows to library -------------------------------------------------------------------------

bool CEDALibAdapter::updateLibrary(CDataAdapter* source, CDataSet* dataSet, bool createAttributes,
                                   CEDALibCommand* itemSource) {
  if (libraryCommand() == nullptr || dataSet == nullptr || syncMap_ == nullptr) return false;
  auto* odbcSource = dynamic_cast<CODBCAdapter*>(source);
  if (itemSource != nullptr && odbcSource == nullptr) return false;

  index_ = std::make_unique<RowIndex>(dataSet);
  if (itemSource == nullptr) {
    for (CEDAElement* element : syncMap_->getElements()) {
      if (element->hasMapping())
        rowsToObjects(dataSet, createAttributes, {}, element, nullptr, false);
    }
  } else {
    const std::vector<CEDAElement*> topLevel = syncMap_->getElements();
    for (EDAWorkspaceObject* item : itemSource->getItems()) {
      for (CEDAElement* element : syncMap_->findElementsByType(topLevel, item->getType())) {
        CDataTable* table = dataSet->getTable(tableNameOf(element));
        if (table == nullptr) continue;
        CDataTable::ColumnValuePairs criteria;
        for (const CEDAProperty* property : element->getMappedProperties(true)) {
          criteria.emplace_back(toWide(property->getColumn()->getName()),
                                toWide(item->getValue(property->getName(), true)));
        }
        // A selection that could not be read would pass for an item without rows.
        if (!odbcSource->fillTableWhere(table, criteria)) {
          index_.reset();
          return false;
        }
        index_->forgetTables();
        rowsToObjects(dataSet, createAttributes, table->findRowsMatching(criteria), element,
                      nullptr, true);
      }
    }
  }
  index_.reset();
  return true;
}

void CEDALibAdapter::rowsToObjects(CDataSet* dataSet, bool createAttributes,
                                   const std::vector<CDataRow*>& rows, CEDAElement* element,
                                   EDAWorkspaceObject* parent, bool fromSelection) {
  if (dataSet == nullptr || element == nullptr || libraryCommand() == nullptr ||
      element->getMappedTable() == nullptr) {
    return;
  }
  // A direct call (outside updateLibrary) builds the lookups for its own run.
  const bool ownsIndex = index_ == nullptr;
  if (ownsIndex) index_ = std::make_unique<RowIndex>(dataSet);

  ElementInfo info;
  info.element = element;
  info.type = element->getType();
  info.tableName = tableNameOf(element);
  info.typeColumn = columnOf(element->getProperty("type"));
  info.nameColumn = columnOf(element->getProperty("name"));
  const CEDAProperty* itemId = element->getProperty("itemId");
  info.hasItemId = itemId != nullptr;
  info.itemIdColumn = columnOf(itemId);
  for (const CEDAProperty* property : element->getMappedProperties(false)) {
    info.values.emplace_back(property->getName(), toWide(property->getColumn()->getName()));
  }

  if (info.type.empty() && info.typeColumn.empty()) {
    if (MessageLogger::errorEnabled()) {
      MessageLogger::error(
          kSource, "The property [type] of element [" + info.type + "] is not mapped to a column");
    }
  } else {
    std::vector<CDataRow*> allRows;
    const std::vector<CDataRow*>* work = &rows;
    if (parent == nullptr && rows.empty() && !fromSelection) {
      if (CDataTable* table = dataSet->getTable(info.tableName)) {
        for (const auto& row : table->getRows()) allRows.push_back(row.get());
      }
      work = &allRows;
    }
    for (CDataRow* row : *work) convertRow(dataSet, createAttributes, row, info, parent);
  }

  if (ownsIndex) index_.reset();
}

void CEDALibAdapter::convertRow(CDataSet* dataSet, bool createAttributes, CDataRow* row,
                                const ElementInfo& info, EDAWorkspaceObject* parent) {
  // Children are offered the linked rows of every table; each element keeps its own table's.
  if (!equalsIgnoreCase(row->getTable()->getName(), info.tableName)) return;
  const std::u16string typeValue =
      info.typeColumn.empty() ? toWide(info.type) : cellText(*row, info.typeColumn);
  if (!equalsIgnoreCase(typeValue, toWide(info.type))) return;
  const std::string type = toUtf8(typeValue);

  EDAWorkspaceObject* object = nullptr;
  if (!info.hasItemId) {
    object = findOrCreateGde(toUtf8(cellText(*row, info.nameColumn)), type);
    if (object != nullptr) {
      for (const auto& value : info.values) {
        object->setValue(value.first, toUtf8(cellText(*row, value.second)), createAttributes);
      }
    }
  } else {
    object = findOrCreateItem(toUtf8(cellText(*row, info.itemIdColumn)),
                              toUtf8(cellText(*row, info.nameColumn)), type);
    if (object != nullptr) {
      for (const auto& value : info.values) {
        const std::u16string text = cellText(*row, value.second);
        if (text.find(cell_text::kPartSeparator) == std::u16string::npos) {
          object->setValue(value.first, toUtf8(text), createAttributes);
          continue;
        }
        const std::vector<std::u16string> parts = splitParts(text);
        EDAAttribute* attribute = object->getOrCreateAttribute(toUtf8(value.second));
        if (attribute == nullptr) continue;
        if (parts.size() == 2) {
          attribute->setValue(toUtf8(parts[0]));
          attribute->setUnit(toUtf8(parts[1]));
          attribute->setType("");
        } else if (parts.size() == 3) {
          attribute->setRequired(true);
          attribute->setType(EDAAttribute::kReferenceType);
          if (equalsIgnoreCase(parts[2], cell_text::kReferenceMark)) {
            if (EDAItem* target = referencedItem(dataSet, parts[0], parts[1])) {
              attribute->setValue(target->getElemId());
            }
          }
        }
      }
    }
  }
  if (object == nullptr) return;
  // The link keeps the relation the sync map names, so the library can be imported again.
  const std::string& relation = info.element->getRelation();
  if (parent != nullptr && !isRelated(parent, relation, object)) {
    parent->addRelation(relation, object);
  }

  const std::u16string identity = row->getIdentityValue();
  if (identity.empty()) return;
  const auto* links = index_->links(info.tableName, identity);
  if (links == nullptr) return;
  for (const auto& link : *links) {
    CDataTable* linkedTable = dataSet->getTable(link.first);
    if (linkedTable == nullptr) continue;
    const std::vector<CDataRow*> linkedRows = index_->rowsByIdentity(linkedTable, link.second);
    if (linkedRows.empty()) continue;
    for (CEDAElement* child : info.element->getChildren()) {
      rowsToObjects(dataSet, createAttributes, linkedRows, child, object, false);
    }
  }
}

EDAItem* CEDALibAdapter::referencedItem(CDataSet* dataSet, const std::u16string& tableName,
                                        const std::u16string& identity) {
  CDataTable* table = dataSet->getTable(tableName);
  if (table == nullptr) return nullptr;
  const CDataRow* row = index_->rowByIdentity(table, identity);
  if (row == nullptr) return nullptr;
  // The element stored in that table names the columns of the three identifying properties.
  std::u16string itemIdColumn = u"itemId", nameColumn = u"name", typeColumn = u"type";
  std::u16string type;
  if (const CEDAElement* element = itemElementOfTable(syncMap_->getElements(), table->getName())) {
    itemIdColumn = columnOf(element->getProperty("itemId"));
    nameColumn = columnOf(element->getProperty("name"));
    typeColumn = columnOf(element->getProperty("type"));
    type = toWide(element->getType());
  }
  if (!typeColumn.empty()) type = cellText(*row, typeColumn);
  return findOrCreateItem(toUtf8(cellText(*row, itemIdColumn)), toUtf8(cellText(*row, nameColumn)),
                          toUtf8(type));
}

// One library object per identity: rows that name the same part or design element (a shared
// footprint, a part that is also a reference target) meet in one object.
EDAItem* CEDALibAdapter::findOrCreateItem(const std::string& itemId, const std::string& name,
                                          const std::string& type) {
  CEDALibCommand* library = libraryCommand();
  if (EDAItem* existing = library->getLibrary()->findItem(type, itemId)) return existing;
  return library->createItem(itemId, name, type);
}

EDAWorkspaceObject* CEDALibAdapter::findOrCreateGde(const std::string& name,
                                                    const std::string& type) {
  CEDALibCommand* library = libraryCommand();
  if (EDAGde* existing = library->getLibrary()->findGde(type, name)) return existing;
  return library->createGde(name, type);
}
