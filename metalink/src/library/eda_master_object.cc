#include "library/eda_master_object.h"

namespace {

std::string& defaultRelationType() {
  static std::string type = "QREL_reference";
  return type;
}

}  // namespace

const std::string& EDAMasterObject::noLibraryId() {
  static const std::string none;
  return none;
}

std::unique_ptr<EDAMasterObject> EDAMasterObject::create(const std::string& name,
                                                         const std::string& type) {
  if (name.empty() || type.empty()) return nullptr;
  return std::make_unique<EDAMasterObject>(name, type);
}

EDAMasterObject::EDAMasterObject(const std::string& name, const std::string& type)
    : EDAWorkspaceObject(name, type) {}

EDAMasterObject::EDAMasterObject(const std::string& name, const std::string& type,
                                 const std::string& identity)
    : EDAWorkspaceObject(name, type, identity) {}

const std::string& EDAMasterObject::getClassName() const {
  static const std::string name = "EDAMasterObject";
  return name;
}

const std::string& EDAMasterObject::getDefaultRelationType() { return defaultRelationType(); }

void EDAMasterObject::setDefaultRelationType(const std::string& type) {
  if (!type.empty()) defaultRelationType() = type;
}

void EDAMasterObject::getDatasets(const std::string& relationType,
                                  std::vector<EDADataset*>* out) const {
  out->clear();
  std::vector<EDAContextObject*> secondaries;
  getSecondaryObjects(relationType, &secondaries);
  for (EDAContextObject* secondary : secondaries) {
    if (auto* dataset = dynamic_cast<EDADataset*>(secondary)) out->push_back(dataset);
  }
}

void EDAMasterObject::getDatasets(const std::string& relationType, const std::string& objectType,
                                  std::vector<EDADataset*>* out) const {
  out->clear();
  std::vector<EDAWorkspaceObject*> secondaries;
  getSecondaryObjects(relationType, objectType, &secondaries);
  for (EDAWorkspaceObject* secondary : secondaries) {
    if (auto* dataset = dynamic_cast<EDADataset*>(secondary)) out->push_back(dataset);
  }
}

EDADataset* EDAMasterObject::getDataset() const {
  std::vector<EDADataset*> datasets;
  getDatasets(getDefaultRelationType(), &datasets);
  return datasets.empty() ? nullptr : datasets.front();
}

std::unique_ptr<EDAItem> EDAItem::create(const std::string& itemId, const std::string& name,
                                         const std::string& type) {
  if (itemId.empty() || name.empty() || type.empty()) return nullptr;
  return std::make_unique<EDAItem>(itemId, name, type);
}

EDAItem::EDAItem(const std::string& itemId, const std::string& name, const std::string& type)
    : EDAMasterObject(name, type, itemId), itemId_(itemId) {}

const std::string* EDAItem::propertyField(const std::string& name, bool* settable) const {
  if (name == "itemId" || name == "revision") {
    *settable = name == "revision";
    return *settable ? &revision_ : &itemId_;
  }
  return EDAMasterObject::propertyField(name, settable);
}

const std::string& EDAItem::getClassName() const {
  static const std::string name = "EDAItem";
  return name;
}

void EDAItem::getPropertyNames(std::map<std::string, int>* out) const {
  EDAMasterObject::getPropertyNames(out);
  (*out)["itemId"] = 0;
  (*out)["revision"] = 1;
}

void EDAItem::setRevision(const std::string& revision) {
  revision_ = revision;
  fieldChanged("revision");
}

std::unique_ptr<EDAGde> EDAGde::create(const std::string& name, const std::string& type) {
  if (name.empty() || type.empty()) return nullptr;
  return std::make_unique<EDAGde>(name, type);
}

EDAGde::EDAGde(const std::string& name, const std::string& type) : EDAMasterObject(name, type) {}

const std::string& EDAGde::getClassName() const {
  static const std::string name = "EDAGde";
  return name;
}
