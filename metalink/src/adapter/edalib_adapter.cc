#include "adapter/edalib_adapter.h"

#include "adapter/edalib_command.h"

CEDALibCommand* CEDALibAdapter::libraryCommand() const {
  return dynamic_cast<CEDALibCommand*>(command_);
}

void CEDALibAdapter::fill(CDataSet* dataSet) {
  if (libraryCommand() == nullptr || dataSet == nullptr || syncMap_ == nullptr) return;
}

bool CEDALibAdapter::update(CDataSet* dataSet) {
  return updateLibrary(nullptr, dataSet, true, nullptr);
}

bool CEDALibAdapter::fillTable(CDataTable* /*table*/) { return false; }

bool CEDALibAdapter::updateLibrary(CDataAdapter* /*source*/, CDataSet* dataSet,
                                   bool /*createAttributes*/, CEDALibCommand* /*itemSource*/) {
  if (libraryCommand() == nullptr || dataSet == nullptr || syncMap_ == nullptr) return false;
  return false;
}
