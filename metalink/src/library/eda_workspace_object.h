// Workspace objects: named, typed library objects with properties and attributes.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "library/eda_object.h"

// Properties are the object's own fields as name/value texts ("name", "type", "releaseStatus",
// "category", and more in subclasses); attributes are free named values. Owns its attributes.
class EDAWorkspaceObject : public EDAContextObject {
 public:
  // Null unless both texts are non-empty.
  static std::unique_ptr<EDAWorkspaceObject> create(const std::string& name,
                                                    const std::string& type);

  EDAWorkspaceObject(const std::string& name, const std::string& type);
  ~EDAWorkspaceObject() override;
  const std::string& getClassName() const override;

  // "[" + type + "," + name in lower case + "]" (items use the itemId), fixed at construction.
  virtual const std::string& getKey() const;
  // Clears `*out` and fills it with the property names, each with 1 when setValue may change it
  // and 0 when it is part of the object's identity.
  virtual void getPropertyNames(std::map<std::string, int>* out) const;

  const std::string& getName() const { return name_; }
  const std::string& getType() const { return type_; }
  const std::string& getReleaseStatus() const { return releaseStatus_; }
  const std::string& getCategory() const { return category_; }
  // Set the field and the property of the same name.
  void setReleaseStatus(const std::string& status);
  void setCategory(const std::string& category);
  // Release status "Obsolete", ignoring ASCII case.
  bool isObsolete() const;

  using EDAContextObject::getSecondaryObjects;
  // Clears `*out`, then keeps those secondaries of `relationType` that are workspace objects of
  // type `objectType` (ignoring ASCII case). An empty object type yields nothing.
  void getSecondaryObjects(const std::string& relationType, const std::string& objectType,
                           std::vector<EDAWorkspaceObject*>* out) const;

  // Attributes by exact name; null for an empty or unknown name. The object keeps ownership.
  EDAAttribute* getAttribute(const std::string& name) const;
  bool hasAttribute(const std::string& name) const;
  // Clears `*out`, then lists all attributes in byte order of their names ("B" before "a").
  void getAttributes(std::vector<EDAAttribute*>* out) const;
  // The attribute of that name, created (type "String") when missing; null for an empty name.
  EDAAttribute* getOrCreateAttribute(const std::string& name);
  // Room for `count` attributes in all, before creating several.
  void reserveAttributes(size_t count) { attributes_.reserve(count); }

  // The property value of `name`; failing that, with `includeAttributes`, the value of the
  // attribute of that name; else empty.
  std::string getValue(const std::string& name, bool includeAttributes) const;
  // Replaces every value of `*values` by getValue of its name.
  void getValues(std::map<std::string, std::string>* values, bool includeAttributes) const;
  // A settable property (flag 1) gets the value as a property only (the field of the same name
  // keeps its value); an identity property (flag 0) is left alone; any other name sets the
  // attribute of that name when `createAttribute` is set (creating it), else nothing happens.
  void setValue(const std::string& name, const std::string& value, bool createAttribute);

 protected:
  // The field behind the property `name` and, in `*settable`, its flag; null for a name that is
  // no property of the class. Subclasses with more properties extend it.
  virtual const std::string* propertyField(const std::string& name, bool* settable) const;
  // For subclasses identified by another text than the name (the key is made once, from it).
  EDAWorkspaceObject(const std::string& name, const std::string& type, const std::string& identity);
  // After a setter changed a field: the property reads the field again.
  void fieldChanged(const std::string& name);

 private:
  // A property reads its field unless setValue gave it a value of its own, kept here. Few
  // objects ever have one, so no object pays for a copy of every property, nor for an empty list.
  using PropertyValues = std::vector<std::pair<std::string, std::string>>;
  // Attributes sorted by name (byte order).
  using AttributeList = std::vector<std::unique_ptr<EDAAttribute>>;
  AttributeList::const_iterator findAttribute(const std::string& name) const;

  std::string name_;
  std::string type_;
  std::string releaseStatus_;
  std::string category_;
  std::string key_;
  std::unique_ptr<PropertyValues> propertyValues_;
  AttributeList attributes_;
};

// A file or folder of data belonging to the library (a datasheet, a model).
class EDADataset : public EDAWorkspaceObject {
 public:
  // Null unless both texts are non-empty.
  static std::unique_ptr<EDADataset> create(const std::string& name, const std::string& type);

  EDADataset(const std::string& name, const std::string& type);
  const std::string& getClassName() const override;
  // Adds "folder" (settable).
  void getPropertyNames(std::map<std::string, int>* out) const override;

  const std::string& getFolder() const { return folder_; }
  // Sets the field and the property "folder".
  void setFolder(const std::string& folder);

 protected:
  const std::string* propertyField(const std::string& name, bool* settable) const override;

 private:
  std::string folder_;
};
