// The part library: owns and indexes items, GDE objects and datasets, and reads and writes them
// as the library file EDALib.xml.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/eda_master_object.h"
#include "library/eda_object.h"
#include "library/eda_workspace_object.h"
#include "library/objects_by_key.h"
#include "library/objects_by_number.h"

// Owns every workspace object registered with it (which own their attributes and the relations
// in which they are primary); every pointer it hands out lives until clear() or destruction.
// Constructing a library restarts the object counter, so it is always "id1".
class EDALibrary : public EDAObject {
 public:
  // The longest message kept by getLastError, in bytes.
  static constexpr size_t kMaxErrorLength = 499;

  EDALibrary();
  ~EDALibrary() override;
  const std::string& getClassName() const override;

  // Build and register an object; null (and nothing registered) when an identity text is empty.
  EDAItem* createItem(const std::string& itemId, const std::string& name, const std::string& type);
  EDAGde* createGde(const std::string& name, const std::string& type);
  EDADataset* createDataset(const std::string& name, const std::string& type);
  // Takes ownership and registers the object by elemId, by class name, by type (when it differs
  // from the class name ignoring case) and by key; a master object gets this library's elemId
  // as its libraryId. Returns the object; null for null.
  EDAWorkspaceObject* addObject(std::unique_ptr<EDAWorkspaceObject> object);

  // The object registered last under that elemId, or null.
  EDAWorkspaceObject* findObject(const std::string& elemId) const;
  // Clear `*out`, then list the objects registered under exactly that class name or type (or
  // under each text of the list, concatenated), in registration order.
  void getObjects(const std::string& classOrType, std::vector<EDAWorkspaceObject*>* out) const;
  void getObjects(const std::vector<std::string>& classesOrTypes,
                  std::vector<EDAWorkspaceObject*>* out) const;
  size_t countObjects(const std::string& classOrType) const;
  size_t countObjects(const std::vector<std::string>& classesOrTypes) const;

  // Append to `*out` the items with key "[" + type + "," + itemId lowered + "]": the type must
  // match exactly, the itemId ignoring ASCII case.
  void findItems(const std::string& type, const std::string& itemId,
                 std::vector<EDAItem*>* out) const;
  EDAItem* findItem(const std::string& type, const std::string& itemId) const;
  bool hasItem(const std::string& type, const std::string& itemId) const;
  // The same for GDE objects, by type and name.
  void findGdes(const std::string& type, const std::string& name, std::vector<EDAGde*>* out) const;
  EDAGde* findGde(const std::string& type, const std::string& name) const;
  bool hasGde(const std::string& type, const std::string& name) const;

  // Deletes every object and empties the registries and categories; name, folder and the object
  // counter stay.
  void clear();

  const std::string& getName() const { return name_; }
  const std::string& getFolder() const { return folder_; }
  void setName(const std::string& name) { name_ = name; }
  void setFolder(const std::string& folder) { folder_ = folder; }
  // The non-empty item categories met while loading a file (case-sensitive).
  const std::set<std::string>& getCategories() const { return categories_; }

  // Writes the library file at `path` (UTF-8). The document goes to a temporary file beside the
  // target that is renamed into place, so a failure leaves any previous file untouched. True
  // when the whole document was written. False at once for a null or empty path; otherwise a
  // failure sets getLastError to "Fail to save EDALib.xml because <reason>" and logs it as an
  // ERROR line.
  bool save(const char* path);
  // Replaces the content by the library file at `path` (UTF-8). False at once for a null or
  // empty path; false with "Fail to load the edalib.xml file from <path> because <reason>" in
  // getLastError and the log when the file cannot be read or is not well-formed (the library is
  // then unchanged). Every object read gets a new elemId; relations and reference attributes
  // are reconnected by the identities in the file. A reference naming no object keeps its value,
  // sets getLastError to "Invalid reference attribute <name> because the referenced object
  // cannot be found" and logs it as a WARN line; the load still succeeds.
  bool load(const char* path);
  // The last message of load or save (at most kMaxErrorLength bytes); empty when none.
  const std::string& getLastError() const { return lastError_; }

 private:
  class XmlReader;
  class XmlWriter;
  void setLastError(const std::string& message);
  // Room for `objects` more objects in the owners and the indexes, before registering many.
  void reserve(size_t objects);
  // Appends to `*out` the objects of type T registered under `key`, in registration order.
  template <typename T>
  void collectByKey(const std::string& key, std::vector<T*>* out) const;

  // getElemId, made once for the libraryId of every object registered.
  std::string elemIdText_;
  std::string name_;
  std::string folder_;
  // The owners, in registration order; the maps below hold links.
  std::vector<std::unique_ptr<EDAWorkspaceObject>> objects_;
  // By elemId number. Objects are nearly always registered in the order they were made, so their
  // numbers rise and go into one sorted block; a number that does not (after the counter was
  // restarted, or an object made earlier) goes into a map, which then wins as the later one.
  ObjectsByNumber risingById_;
  std::unordered_map<int32_t, EDAWorkspaceObject*> laterById_;
  std::map<std::string, std::vector<EDAWorkspaceObject*>> objectsByClass_;
  ObjectsByKey byKey_;
  std::set<std::string> categories_;
  std::string lastError_;
};
