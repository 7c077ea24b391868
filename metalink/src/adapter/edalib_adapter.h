// Moves rows between a CDataSet and the library of a CEDALibCommand, guided by the sync map.
//
// Library texts are UTF-8 and data set texts UTF-16; every crossing converts. Two cell encodings
// carry attribute details through one column, both joined with "&#44;": value + unit, and
// table + identity value + "Reference" for a reference to another row.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "adapter/data_adapter.h"

class CDataRow;
class CEDAElement;
class CEDALibCommand;
class CEDASyncMap;
class EDAItem;
class EDAWorkspaceObject;

class CEDALibAdapter : public CDataAdapter {
 public:
  // Neither the command nor the sync map is owned; both must outlive the adapter.
  CEDALibAdapter(CDataCommand* command, CEDASyncMap* syncMap);
  ~CEDALibAdapter() override;

  // Library objects to rows of the data set's tables: one row per object of a mapped element,
  // in tables that must exist in the data set already (objects of a missing table are skipped).
  void fill(CDataSet* dataSet) override;
  // updateLibrary(no source, dataSet, true, no item source).
  bool update(CDataSet* dataSet) override;
  // Not supported: false.
  bool fillTable(CDataTable* table) override;
  // Rows of the data set to library objects. Without an item source every row of the mapped
  // tables is converted; with one, the rows matching each of its items are first read through
  // `source` (which then must be given). False when the adapter cannot work (no library
  // command, data set or sync map, or an item source without a source adapter), and when the
  // rows of an item cannot be read: the library then holds only part of the items.
  virtual bool updateLibrary(CDataAdapter* source, CDataSet* dataSet, bool createAttributes,
                             CEDALibCommand* itemSource);

  // The recursive step of fill: `objects` of `element` become rows; `parent` is the row of the
  // enclosing object, which gets the new rows as related rows under the element's relation.
  void objectsToRows(CDataSet* dataSet, CDataRow* parent, CEDAElement* element,
                     const std::vector<EDAWorkspaceObject*>& objects);
  // The recursive step of updateLibrary: `rows` (all rows of the element's table when empty,
  // without parent and not from a selection) become objects of `element`, related to `parent`
  // when given; their children are found through the link table "Relations".
  void rowsToObjects(CDataSet* dataSet, bool createAttributes, const std::vector<CDataRow*>& rows,
                     CEDAElement* element, EDAWorkspaceObject* parent, bool fromSelection);

  CEDASyncMap* getSyncMap() const { return syncMap_; }

 private:
  class RowIndex;
  struct ElementInfo;

  CEDALibCommand* libraryCommand() const;
  // A new row that stands for the item `target` in a reference cell, in the table of the
  // target's element; null when the target is no item or no mapped table of its type is in the
  // data set.
  CDataRow* referenceRow(CDataSet* dataSet, EDAWorkspaceObject* target);
  // The item a reference cell names (table, identity), found in or added to the library.
  EDAItem* referencedItem(CDataSet* dataSet, const std::u16string& tableName,
                          const std::u16string& identity);
  EDAItem* findOrCreateItem(const std::string& itemId, const std::string& name,
                            const std::string& type);
  EDAWorkspaceObject* findOrCreateGde(const std::string& name, const std::string& type);
  // One row of rowsToObjects: the object, its values and, through the link table, its children.
  void convertRow(CDataSet* dataSet, bool createAttributes, CDataRow* row, const ElementInfo& info,
                  EDAWorkspaceObject* parent);

  CEDASyncMap* syncMap_;
  // Lookups by identity and the links of the link table, built once per updateLibrary.
  std::unique_ptr<RowIndex> index_;
};
