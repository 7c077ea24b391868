#include "library/eda_workspace_object.h"

#include <algorithm>

#include "util/connector_util.h"

std::unique_ptr<EDAWorkspaceObject> EDAWorkspaceObject::create(const std::string& name,
                                                               const std::string& type) {
  if (name.empty() || type.empty()) return nullptr;
  return std::make_unique<EDAWorkspaceObject>(name, type);
}

EDAWorkspaceObject::EDAWorkspaceObject(const std::string& name, const std::string& type)
    : EDAWorkspaceObject(name, type, name) {}

EDAWorkspaceObject::EDAWorkspaceObject(const std::string& name, const std::string& type,
                                       const std::string& identity)
    : name_(name), type_(type) {
  std::string lowered = identity;
  ConnectorUtil::toLowerAscii(lowered);
  key_ = "[" + type_ + "," + lowered + "]";
}

EDAWorkspaceObject::~EDAWorkspaceObject() = default;

const std::string& EDAWorkspaceObject::getClassName() const {
  static const std::string name = "EDAWorkspaceObject";
  return name;
}

const std::string& EDAWorkspaceObject::getKey() const { return key_; }

void EDAWorkspaceObject::getPropertyNames(std::map<std::string, int>* out) const {
  out->clear();
  (*out)["name"] = 0;
  (*out)["type"] = 0;
  (*out)["category"] = 1;
  (*out)["releaseStatus"] = 1;
}

const std::string* EDAWorkspaceObject::propertyField(const std::string& name,
                                                     bool* settable) const {
  *settable = name == "releaseStatus" || name == "category";
  if (*settable) return name == "category" ? &category_ : &releaseStatus_;
  if (name == "name") return &name_;
  if (name == "type") return &type_;
  return nullptr;
}

void EDAWorkspaceObject::fieldChanged(const std::string& name) {
  if (propertyValues_ == nullptr) return;
  for (auto it = propertyValues_->begin(); it != propertyValues_->end(); ++it) {
    if (it->first == name) {
      propertyValues_->erase(it);
      break;
    }
  }
  if (propertyValues_->empty()) propertyValues_.reset();
}

void EDAWorkspaceObject::setReleaseStatus(const std::string& status) {
  releaseStatus_ = status;
  fieldChanged("releaseStatus");
}

void EDAWorkspaceObject::setCategory(const std::string& category) {
  category_ = category;
  fieldChanged("category");
}

bool EDAWorkspaceObject::isObsolete() const {
  return ConnectorUtil::equalsIgnoreAsciiCase(releaseStatus_, "Obsolete");
}

void EDAWorkspaceObject::getSecondaryObjects(const std::string& relationType,
                                             const std::string& objectType,
                                             std::vector<EDAWorkspaceObject*>* out) const {
  out->clear();
  if (objectType.empty()) return;
  std::vector<EDAContextObject*> secondaries;
  getSecondaryObjects(relationType, &secondaries);
  for (EDAContextObject* secondary : secondaries) {
    auto* object = dynamic_cast<EDAWorkspaceObject*>(secondary);
    if (object != nullptr && ConnectorUtil::equalsIgnoreAsciiCase(object->getType(), objectType)) {
      out->push_back(object);
    }
  }
}

EDAWorkspaceObject::AttributeList::const_iterator EDAWorkspaceObject::findAttribute(
    const std::string& name) const {
  // Files list attributes in name order, so a new one most often goes last.
  if (attributes_.empty() || attributes_.back()->getName() < name) return attributes_.end();
  return std::lower_bound(attributes_.begin(), attributes_.end(), name,
                          [](const std::unique_ptr<EDAAttribute>& attribute,
                             const std::string& wanted) { return attribute->getName() < wanted; });
}

EDAAttribute* EDAWorkspaceObject::getAttribute(const std::string& name) const {
  if (name.empty()) return nullptr;
  const auto it = findAttribute(name);
  return it != attributes_.end() && (*it)->getName() == name ? it->get() : nullptr;
}

bool EDAWorkspaceObject::hasAttribute(const std::string& name) const {
  return getAttribute(name) != nullptr;
}

void EDAWorkspaceObject::getAttributes(std::vector<EDAAttribute*>* out) const {
  out->clear();
  out->reserve(attributes_.size());
  for (const auto& attribute : attributes_) out->push_back(attribute.get());
}

EDAAttribute* EDAWorkspaceObject::getOrCreateAttribute(const std::string& name) {
  if (name.empty()) return nullptr;
  const auto it = findAttribute(name);
  if (it != attributes_.end() && (*it)->getName() == name) return it->get();
  return attributes_.insert(it, EDAAttribute::create(name))->get();
}

std::string EDAWorkspaceObject::getValue(const std::string& name, bool includeAttributes) const {
  if (name.empty()) return std::string();
  bool settable = false;
  if (const std::string* field = propertyField(name, &settable)) {
    if (propertyValues_ != nullptr) {
      for (const auto& value : *propertyValues_) {
        if (value.first == name) return value.second;
      }
    }
    return *field;
  }
  if (includeAttributes) {
    if (const EDAAttribute* attribute = getAttribute(name)) return attribute->getValue();
  }
  return std::string();
}

void EDAWorkspaceObject::getValues(std::map<std::string, std::string>* values,
                                   bool includeAttributes) const {
  for (auto& entry : *values) entry.second = getValue(entry.first, includeAttributes);
}

void EDAWorkspaceObject::setValue(const std::string& name, const std::string& value,
                                  bool createAttribute) {
  if (name.empty()) return;
  bool settable = false;
  if (propertyField(name, &settable) != nullptr) {
    if (!settable) return;
    if (propertyValues_ == nullptr) propertyValues_ = std::make_unique<PropertyValues>();
    for (auto& entry : *propertyValues_) {
      if (entry.first == name) {
        entry.second = value;
        return;
      }
    }
    propertyValues_->emplace_back(name, value);
    return;
  }
  if (createAttribute) getOrCreateAttribute(name)->setValue(value);
}

std::unique_ptr<EDADataset> EDADataset::create(const std::string& name, const std::string& type) {
  if (name.empty() || type.empty()) return nullptr;
  return std::make_unique<EDADataset>(name, type);
}

EDADataset::EDADataset(const std::string& name, const std::string& type)
    : EDAWorkspaceObject(name, type) {}

const std::string* EDADataset::propertyField(const std::string& name, bool* settable) const {
  if (name == "folder") {
    *settable = true;
    return &folder_;
  }
  return EDAWorkspaceObject::propertyField(name, settable);
}

const std::string& EDADataset::getClassName() const {
  static const std::string name = "EDADataset";
  return name;
}

void EDADataset::getPropertyNames(std::map<std::string, int>* out) const {
  EDAWorkspaceObject::getPropertyNames(out);
  (*out)["folder"] = 1;
}

void EDADataset::setFolder(const std::string& folder) {
  folder_ = folder;
  fieldChanged("folder");
}
