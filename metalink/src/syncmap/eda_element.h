// The library side of the sync map: element kinds (possibly nested under a relation) and their
// properties, each possibly mapped to a table column.
#pragma once

#include <memory>
#include <string>
#include <vector>

class CEDAColumn;
class CEDAElement;
class CEDATable;

// One property of an element. Owned by its element; `getElement` and `getColumn` are links (the
// column belongs to the sync map's tables).
class CEDAProperty {
 public:
  CEDAProperty(const std::string& name, bool required, CEDAElement* element);
  virtual ~CEDAProperty() = default;
  CEDAProperty(const CEDAProperty&) = delete;
  CEDAProperty& operator=(const CEDAProperty&) = delete;

  const std::string& getName() const { return name_; }
  // Required properties identify an object: their columns are the row's key columns.
  bool isRequired() const { return required_; }
  CEDAElement* getElement() const { return element_; }
  CEDAColumn* getColumn() const { return column_; }
  void setColumn(CEDAColumn* column) { column_ = column; }
  bool isMapped() const { return column_ != nullptr; }

 private:
  std::string name_;
  bool required_;
  CEDAElement* element_;
  CEDAColumn* column_ = nullptr;
};

// One kind of library object (`type` is the object type, such as "Resistor") and how it is
// stored. A nested element describes objects that hang below the enclosing element's objects
// through relations named `relation`. Owns its nested elements and its properties.
class CEDAElement {
 public:
  CEDAElement(const std::string& name, const std::string& type, const std::string& relation,
              CEDAElement* parent);
  virtual ~CEDAElement();
  CEDAElement(const CEDAElement&) = delete;
  CEDAElement& operator=(const CEDAElement&) = delete;

  const std::string& getName() const { return name_; }
  const std::string& getType() const { return type_; }
  const std::string& getRelation() const { return relation_; }
  // The enclosing element, or null at the top level.
  CEDAElement* getParent() const { return parent_; }
  // Nested elements and properties in file order; the pointers stay owned by this element.
  std::vector<CEDAElement*> getChildren() const;
  std::vector<CEDAProperty*> getProperties() const;
  // Take ownership; return the added object.
  CEDAElement* addChild(std::unique_ptr<CEDAElement> child);
  CEDAProperty* addProperty(std::unique_ptr<CEDAProperty> property);

  // The first property whose name equals `name` ignoring ASCII case, or null.
  CEDAProperty* getProperty(const std::string& name) const;
  // Properties that have a column, in file order; the second form keeps those whose required
  // flag equals `required`.
  std::vector<CEDAProperty*> getMappedProperties() const;
  std::vector<CEDAProperty*> getMappedProperties(bool required) const;
  std::vector<std::string> getMappedPropertyNames() const;
  // The table of the first mapped property, or null.
  CEDATable* getMappedTable() const;
  // True when a property of this element or of any nested element has a column.
  bool hasMapping() const;

 private:
  std::string name_;
  std::string type_;
  std::string relation_;
  CEDAElement* parent_;
  std::vector<std::unique_ptr<CEDAElement>> children_;
  std::vector<std::unique_ptr<CEDAProperty>> properties_;
};
