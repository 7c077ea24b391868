#include "library/eda_workspace_object.h"

#include <strings.h>

#include "util/connector_util.h"

std::unique_ptr<EDAWorkspaceObject> EDAWorkspaceObject::create(const std::string& name,
                                                               const std::string& type) {
  if (name.empty() || type.empty()) return nullptr;
  return std::make_unique<EDAWorkspaceObject>(name, type);
}

EDAWorkspaceObject::EDAWorkspaceObject(const std::string& name, const std::string& type)
    : name_(name), type_(type) {
  properties_["name"] = name_;
  properties_["type"] = type_;
  properties_["releaseStatus"] = releaseStatus_;
  properties_["category"] = category_;
  setKey(name_);
}

EDAWorkspaceObject::~EDAWorkspaceObject() = default;

const std::string& EDAWorkspaceObject::getClassName() const {
  static const std::string name = "EDAWorkspaceObject";
  return name;
}

void EDAWorkspaceObject::setKey(const std::string& identity) {
  std::string lowered = identity;
  ConnectorUtil::toLowerAscii(lowered);
  key_ = "[" + type_ + "," + lowered + "]";
}

const std::string& EDAWorkspaceObject::getKey() const { return key_; }

void EDAWorkspaceObject::getPropertyNames(std::map<std::string, int>* out) const {
  out->clear();
  (*out)["name"] = 0;
  (*out)["type"] = 0;
  (*out)["category"] = 1;
  (*out)["releaseStatus"] = 1;
}

void EDAWorkspaceObject::setReleaseStatus(const std::string& status) {
  releaseStatus_ = status;
  properties_["releaseStatus"] = status;
}

void EDAWorkspaceObject::setCategory(const std::string& category) {
  category_ = category;
  properties_["category"] = category;
}

bool EDAWorkspaceObject::isObsolete() const {
  return ::strcasecmp(releaseStatus_.c_str(), "Obsolete") == 0;
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
    if (object != nullptr && ::strcasecmp(object->getType().c_str(), objectType.c_str()) == 0) {
      out->push_back(object);
    }
  }
}

EDAAttribute* EDAWorkspaceObject::getAttribute(const std::string& name) const {
  if (name.empty()) return nullptr;
  const auto it = attributes_.find(name);
  return it == attributes_.end() ? nullptr : it->second.get();
}

bool EDAWorkspaceObject::hasAttribute(const std::string& name) const {
  return getAttribute(name) != nullptr;
}

void EDAWorkspaceObject::getAttributes(std::vector<EDAAttribute*>* out) const {
  out->clear();
  out->reserve(attributes_.size());
  for (const auto& entry : attributes_) out->push_back(entry.second.get());
}

EDAAttribute* EDAWorkspaceObject::getOrCreateAttribute(const std::string& name) {
  if (name.empty()) return nullptr;
  auto& slot = attributes_[name];
  if (slot == nullptr) slot = EDAAttribute::create(name);
  return slot.get();
}

std::string EDAWorkspaceObject::getValue(const std::string& name, bool includeAttributes) const {
  if (name.empty()) return std::string();
  const auto property = properties_.find(name);
  if (property != properties_.end()) return property->second;
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
  std::map<std::string, int> propertyNames;
  getPropertyNames(&propertyNames);
  const auto property = propertyNames.find(name);
  if (property != propertyNames.end()) {
    if (property->second == 1) properties_[name] = value;
    return;
  }
  if (createAttribute) getOrCreateAttribute(name)->setValue(value);
}

std::unique_ptr<EDADataset> EDADataset::create(const std::string& name, const std::string& type) {
  if (name.empty() || type.empty()) return nullptr;
  return std::make_unique<EDADataset>(name, type);
}

EDADataset::EDADataset(const std::string& name, const std::string& type)
    : EDAWorkspaceObject(name, type) {
  setProperty("folder", folder_);
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
  setProperty("folder", folder);
}
