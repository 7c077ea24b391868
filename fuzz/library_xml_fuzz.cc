// libFuzzer target: any bytes as a library file, read by EDALibrary::load and walked to the end
// so that the sanitizers see every object, attribute and relation the reader made.
#include <cstdint>
#include <string>
#include <vector>

#include "library/eda_library.h"
#include "xml_reader_fuzz.h"

namespace {

using fuzz::touch;

std::string gFile;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Every message is formatted (the warning for an unresolved reference among them).
  gFile = fuzz::startXmlReaderRun("library_xml_fuzz", "EDALib.xml", /*warnings=*/true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::writeInput(gFile, data, size);
  EDALibrary library;
  library.load(gFile.c_str());
  touch(library.getName());
  touch(library.getFolder());
  touch(library.getLastError());
  for (const std::string& category : library.getCategories()) touch(category);
  std::vector<EDAWorkspaceObject*> objects;
  std::vector<EDAAttribute*> attributes;
  library.getObjects(std::vector<std::string>{"EDAItem", "EDAGde", "EDADataset"}, &objects);
  for (EDAWorkspaceObject* object : objects) {
    touch(object->getElemId());
    touch(object->getName());
    touch(object->getType());
    if (library.findObject(object->getElemId()) != object) __builtin_trap();
    object->getAttributes(&attributes);
    for (const EDAAttribute* attribute : attributes) {
      touch(attribute->getName());
      touch(attribute->getValue());
      touch(attribute->getUnit());
    }
    for (const EDARelation* relation : object->getRelations()) {
      touch(relation->getSecondary()->getElemId());
      touch(relation->getPrimary()->getElemId());
    }
  }
  return 0;
}
