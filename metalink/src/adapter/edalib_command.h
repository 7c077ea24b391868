// The command over a library file held in memory. It owns the library and forwards load, save
// and the object queries to it, passing texts through unchanged (UTF-8).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "adapter/data_command.h"

class EDAGde;
class EDAItem;
class EDALibrary;
class EDAWorkspaceObject;

class CEDALibCommand : public CDataCommand {
 public:
  // Creates an empty library (which restarts the process-wide object counter).
  CEDALibCommand();
  // Deletes the library and everything in it.
  ~CEDALibCommand() override;

  // Read or write the library file at `path` (UTF-8); see EDALibrary::load and save.
  bool load(const std::string& path);
  bool save(const std::string& path);

  EDAWorkspaceObject* findObject(const std::string& elemId) const;
  // The objects registered under that class name or type, in registration order.
  std::vector<EDAWorkspaceObject*> getObjects(const std::string& classOrType) const;
  // getObjects("EDAItem").
  std::vector<EDAWorkspaceObject*> getItems() const;
  // Null (nothing created) when an identity text is empty.
  EDAItem* createItem(const std::string& itemId, const std::string& name, const std::string& type);
  EDAGde* createGde(const std::string& name, const std::string& type);

  EDALibrary* getLibrary() const { return library_.get(); }

 private:
  std::unique_ptr<EDALibrary> library_;
};
