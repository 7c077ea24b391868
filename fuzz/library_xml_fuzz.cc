// libFuzzer target: any bytes as a library file, read by EDALibrary::load and walked to the end
// so that the sanitizers see every object, attribute and relation the reader made.
#include <cstdint>
#include <string>
#include <vector>
#include <xercesc/util/PlatformUtils.hpp>

#include "fuzz_input.h"
#include "library/eda_library.h"
#include "util/message_logger.h"

namespace {

std::string gFile;
volatile size_t gSink;

void touch(const std::string& text) { gSink = gSink + text.size(); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gFile = fuzz::scratchDirectory("library_xml_fuzz") + "/EDALib.xml";
  // Held for the whole run, so the reader's own initialisation and termination around each file
  // only count up and down instead of rebuilding the parser library for every input.
  XERCES_CPP_NAMESPACE::XMLPlatformUtils::Initialize();
  // Every message is formatted (the warning for an unresolved reference among them), and
  // dropped.
  MessageLogger::configure({"/dev/null", true, true, false, false});
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
