// libFuzzer target: any bytes as a mapping file, read by CEDASyncMap::load, walked through the
// calls the transfers make and checked the way an operation checks a map before it uses it.
#include <cstdint>
#include <string>
#include <vector>

#include "syncmap/eda_element.h"
#include "syncmap/eda_sync_map.h"
#include "syncmap/eda_table.h"
#include "xml_reader_fuzz.h"

namespace {

using fuzz::gSink;
using fuzz::touch;

std::string gFile;

void walk(const CEDAElement& element) {
  touch(element.getName());
  touch(element.getRelation());
  gSink = gSink + element.hasMapping();
  if (const CEDATable* table = element.getMappedTable()) touch(table->getName());
  for (const std::string& name : element.getMappedPropertyNames()) touch(name);
  for (const CEDAProperty* property : element.getMappedProperties(true)) {
    touch(property->getColumn()->getName());
    touch(property->getColumn()->getTable()->getName());
    if (element.getProperty(property->getName()) == nullptr) __builtin_trap();
  }
  for (const CEDAElement* child : element.getChildren()) {
    if (child->getParent() != &element) __builtin_trap();
    walk(*child);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gFile = fuzz::startXmlReaderRun("sync_map_fuzz", "EDASyncMap.xml", /*warnings=*/false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::writeInput(gFile, data, size);
  CEDASyncMap map;
  if (!map.load(gFile.c_str())) {
    touch(map.getLastError());
    return 0;
  }
  for (const CEDAElement* element : map.getElements()) walk(*element);
  for (const CEDAElement* element : map.findElementsByType(map.getElements(), "edaitem")) {
    touch(element->getType());
  }
  for (const CEDATable* table : map.getTables()) {
    if (map.findTable(table->getName()) != table) __builtin_trap();
    for (const std::string& column : table->getColumnNames()) {
      if (table->getColumn(column) == nullptr) __builtin_trap();
    }
  }
  return 0;
}
