#include "adapter/edalib_command.h"

#include "library/eda_library.h"

CEDALibCommand::CEDALibCommand() : library_(std::make_unique<EDALibrary>()) {}

CEDALibCommand::~CEDALibCommand() = default;

bool CEDALibCommand::load(const std::string& path) { return library_->load(path.c_str()); }

bool CEDALibCommand::save(const std::string& path) { return library_->save(path.c_str()); }

EDAWorkspaceObject* CEDALibCommand::findObject(const std::string& elemId) const {
  return library_->findObject(elemId);
}

std::vector<EDAWorkspaceObject*> CEDALibCommand::getObjects(const std::string& classOrType) const {
  std::vector<EDAWorkspaceObject*> objects;
  library_->getObjects(classOrType, &objects);
  return objects;
}

std::vector<EDAWorkspaceObject*> CEDALibCommand::getItems() const { return getObjects("EDAItem"); }

EDAItem* CEDALibCommand::createItem(const std::string& itemId, const std::string& name,
                                    const std::string& type) {
  return library_->createItem(itemId, name, type);
}

EDAGde* CEDALibCommand::createGde(const std::string& name, const std::string& type) {
  return library_->createGde(name, type);
}
