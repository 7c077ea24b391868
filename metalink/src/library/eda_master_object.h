// Master objects: the library's items (parts) and GDE objects (symbols, footprints and other
// design elements), which belong to a library and reach their datasets through relations.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "library/eda_workspace_object.h"

class EDAMasterObject : public EDAWorkspaceObject {
 public:
  // Null unless both texts are non-empty.
  static std::unique_ptr<EDAMasterObject> create(const std::string& name, const std::string& type);

  EDAMasterObject(const std::string& name, const std::string& type);
  const std::string& getClassName() const override;

  // The elemId of the library that registered the object; empty before.
  const std::string& getLibraryId() const { return *libraryId_; }
  // `libraryId` must outlive the object: the registering library passes its own text, which
  // outlives every object it owns, so its items need no copy each.
  void setLibraryId(const std::string* libraryId) { libraryId_ = libraryId; }

  // The relation type under which getDataset looks ("QREL_reference" unless changed).
  // Process-wide; an empty text leaves it unchanged.
  static const std::string& getDefaultRelationType();
  static void setDefaultRelationType(const std::string& type);

  // Clear `*out`, then list the secondaries of `relationType` (of type `objectType` in the
  // second form, ignoring case) that are datasets.
  void getDatasets(const std::string& relationType, std::vector<EDADataset*>* out) const;
  void getDatasets(const std::string& relationType, const std::string& objectType,
                   std::vector<EDADataset*>* out) const;
  // The first dataset under the default relation type, or null.
  EDADataset* getDataset() const;

 protected:
  // For items, identified by their itemId.
  EDAMasterObject(const std::string& name, const std::string& type, const std::string& identity);

 private:
  static const std::string& noLibraryId();

  const std::string* libraryId_ = &noLibraryId();
};

// A part. Identified by type and itemId: its key is "[" + type + "," + itemId lowered + "]".
class EDAItem : public EDAMasterObject {
 public:
  // Null unless all three texts are non-empty.
  static std::unique_ptr<EDAItem> create(const std::string& itemId, const std::string& name,
                                         const std::string& type);

  EDAItem(const std::string& itemId, const std::string& name, const std::string& type);
  const std::string& getClassName() const override;
  // Adds "itemId" (identity) and "revision" (settable).
  void getPropertyNames(std::map<std::string, int>* out) const override;

  const std::string& getItemId() const { return itemId_; }
  const std::string& getRevision() const { return revision_; }
  // Sets the field and the property "revision".
  void setRevision(const std::string& revision);

 protected:
  const std::string* propertyField(const std::string& name, bool* settable) const override;

 private:
  std::string itemId_;
  std::string revision_;
};

// A design element object (symbol, footprint, ...). Identified by type and name.
class EDAGde : public EDAMasterObject {
 public:
  // Null unless both texts are non-empty.
  static std::unique_ptr<EDAGde> create(const std::string& name, const std::string& type);

  EDAGde(const std::string& name, const std::string& type);
  const std::string& getClassName() const override;
};
