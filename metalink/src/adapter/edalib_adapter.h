// Moves rows between a CDataSet and the library of a CEDALibCommand, guided by the sync map.
//
// The conversion itself belongs to the library adapter work; until it lands the operations keep
// their place in the class (and their run-time type tests) and change nothing.
#pragma once

#include "adapter/data_adapter.h"

class CEDALibCommand;
class CEDASyncMap;

class CEDALibAdapter : public CDataAdapter {
 public:
  // Neither the command nor the sync map is owned; both must outlive the adapter.
  CEDALibAdapter(CDataCommand* command, CEDASyncMap* syncMap)
      : CDataAdapter(command), syncMap_(syncMap) {}
  ~CEDALibAdapter() override = default;

  // Library objects to rows of the data set's tables.
  void fill(CDataSet* dataSet) override;
  // updateLibrary(no source, dataSet, true, no item source).
  bool update(CDataSet* dataSet) override;
  // Not supported: false.
  bool fillTable(CDataTable* table) override;
  // Rows of the data set to library objects; with an item source, the rows matching its items
  // are first read through `source`.
  virtual bool updateLibrary(CDataAdapter* source, CDataSet* dataSet, bool createAttributes,
                             CEDALibCommand* itemSource);

  CEDASyncMap* getSyncMap() const { return syncMap_; }

 private:
  CEDALibCommand* libraryCommand() const;

  CEDASyncMap* syncMap_;
};
