#include "syncmap/eda_element.h"

#include "syncmap/eda_table.h"
#include "util/connector_util.h"

CEDAProperty::CEDAProperty(const std::string& name, bool required, CEDAElement* element)
    : name_(name), required_(required), element_(element) {}

CEDAElement::CEDAElement(const std::string& name, const std::string& type,
                         const std::string& relation, CEDAElement* parent)
    : name_(name), type_(type), relation_(relation), parent_(parent) {}

CEDAElement::~CEDAElement() = default;

std::vector<CEDAElement*> CEDAElement::getChildren() const {
  std::vector<CEDAElement*> out;
  out.reserve(children_.size());
  for (const auto& child : children_) out.push_back(child.get());
  return out;
}

std::vector<CEDAProperty*> CEDAElement::getProperties() const {
  std::vector<CEDAProperty*> out;
  out.reserve(properties_.size());
  for (const auto& property : properties_) out.push_back(property.get());
  return out;
}

CEDAElement* CEDAElement::addChild(std::unique_ptr<CEDAElement> child) {
  if (child == nullptr) return nullptr;
  children_.push_back(std::move(child));
  return children_.back().get();
}

CEDAProperty* CEDAElement::addProperty(std::unique_ptr<CEDAProperty> property) {
  if (property == nullptr) return nullptr;
  properties_.push_back(std::move(property));
  return properties_.back().get();
}

CEDAProperty* CEDAElement::getProperty(const std::string& name) const {
  for (const auto& property : properties_) {
    if (ConnectorUtil::equalsIgnoreAsciiCase(property->getName(), name)) return property.get();
  }
  return nullptr;
}

std::vector<CEDAProperty*> CEDAElement::getMappedProperties() const {
  std::vector<CEDAProperty*> out;
  for (const auto& property : properties_) {
    if (property->isMapped()) out.push_back(property.get());
  }
  return out;
}

std::vector<CEDAProperty*> CEDAElement::getMappedProperties(bool required) const {
  std::vector<CEDAProperty*> out;
  for (const auto& property : properties_) {
    if (property->isMapped() && property->isRequired() == required) out.push_back(property.get());
  }
  return out;
}

std::vector<std::string> CEDAElement::getMappedPropertyNames() const {
  std::vector<std::string> out;
  for (const auto& property : properties_) {
    if (property->isMapped()) out.push_back(property->getName());
  }
  return out;
}

CEDATable* CEDAElement::getMappedTable() const {
  for (const auto& property : properties_) {
    if (property->isMapped()) return property->getColumn()->getTable();
  }
  return nullptr;
}

bool CEDAElement::hasMapping() const {
  for (const auto& property : properties_) {
    if (property->isMapped()) return true;
  }
  for (const auto& child : children_) {
    if (child->hasMapping()) return true;
  }
  return false;
}
