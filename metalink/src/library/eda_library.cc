#include "library/eda_library.h"

#include "syncmap/xerces_support.h"
#include "util/connector_util.h"

EDALibrary::EDALibrary() : EDAObject(RestartCounter{}), elemIdText_(getElemId()) {}

EDALibrary::~EDALibrary() { clear(); }

const std::string& EDALibrary::getClassName() const {
  static const std::string name = "EDALibrary";
  return name;
}

EDAItem* EDALibrary::createItem(const std::string& itemId, const std::string& name,
                                const std::string& type) {
  return static_cast<EDAItem*>(addObject(EDAItem::create(itemId, name, type)));
}

EDAGde* EDALibrary::createGde(const std::string& name, const std::string& type) {
  return static_cast<EDAGde*>(addObject(EDAGde::create(name, type)));
}

EDADataset* EDALibrary::createDataset(const std::string& name, const std::string& type) {
  return static_cast<EDADataset*>(addObject(EDADataset::create(name, type)));
}

EDAWorkspaceObject* EDALibrary::addObject(std::unique_ptr<EDAWorkspaceObject> object) {
  EDAWorkspaceObject* added = object.get();
  if (added == nullptr) return nullptr;
  objects_.push_back(std::move(object));
  // A second library restarts the counter, so an elemId may come round again; the older object
  // stays owned and listed, only the id lookup moves to the newer one.
  const int32_t number = added->getElemNumber();
  if (risingById_.empty() || number > risingById_.back().first) {
    risingById_.emplace_back(number, added);
  } else {
    laterById_[number] = added;
  }
  const std::string& className = added->getClassName();
  objectsByClass_[className].push_back(added);
  if (!ConnectorUtil::equalsIgnoreAsciiCase(added->getType(), className)) {
    objectsByClass_[added->getType()].push_back(added);
  }
  byKey_.add(added);
  if (auto* master = dynamic_cast<EDAMasterObject*>(added)) master->setLibraryId(&elemIdText_);
  return added;
}

EDAWorkspaceObject* EDALibrary::findObject(const std::string& elemId) const {
  int32_t number = 0;
  if (!EDAObject::parseElemId(elemId, &number)) return nullptr;
  if (!laterById_.empty()) {
    const auto later = laterById_.find(number);
    if (later != laterById_.end()) return later->second;
  }
  return findByNumber(risingById_, number);
}

void EDALibrary::getObjects(const std::string& classOrType,
                            std::vector<EDAWorkspaceObject*>* out) const {
  out->clear();
  const auto it = objectsByClass_.find(classOrType);
  if (it != objectsByClass_.end()) *out = it->second;
}

void EDALibrary::getObjects(const std::vector<std::string>& classesOrTypes,
                            std::vector<EDAWorkspaceObject*>* out) const {
  out->clear();
  for (const std::string& text : classesOrTypes) {
    const auto it = objectsByClass_.find(text);
    if (it != objectsByClass_.end()) out->insert(out->end(), it->second.begin(), it->second.end());
  }
}

size_t EDALibrary::countObjects(const std::string& classOrType) const {
  const auto it = objectsByClass_.find(classOrType);
  return it == objectsByClass_.end() ? 0 : it->second.size();
}

size_t EDALibrary::countObjects(const std::vector<std::string>& classesOrTypes) const {
  size_t count = 0;
  for (const std::string& text : classesOrTypes) count += countObjects(text);
  return count;
}

namespace {

std::string lookupKey(const std::string& type, const std::string& identity) {
  std::string lowered = identity;
  ConnectorUtil::toLowerAscii(lowered);
  return "[" + type + "," + lowered + "]";
}

}  // namespace

template <typename T>
void EDALibrary::collectByKey(const std::string& key, std::vector<T*>* out) const {
  EDAWorkspaceObject* first = byKey_.first(key);
  if (first == nullptr) return;
  if (auto* typed = dynamic_cast<T*>(first)) out->push_back(typed);
  const std::vector<EDAWorkspaceObject*>* more = byKey_.more(key);
  if (more == nullptr) return;
  for (EDAWorkspaceObject* object : *more) {
    if (auto* typed = dynamic_cast<T*>(object)) out->push_back(typed);
  }
}

void EDALibrary::findItems(const std::string& type, const std::string& itemId,
                           std::vector<EDAItem*>* out) const {
  collectByKey(lookupKey(type, itemId), out);
}

EDAItem* EDALibrary::findItem(const std::string& type, const std::string& itemId) const {
  std::vector<EDAItem*> found;
  findItems(type, itemId, &found);
  return found.empty() ? nullptr : found.front();
}

bool EDALibrary::hasItem(const std::string& type, const std::string& itemId) const {
  return findItem(type, itemId) != nullptr;
}

void EDALibrary::findGdes(const std::string& type, const std::string& name,
                          std::vector<EDAGde*>* out) const {
  collectByKey(lookupKey(type, name), out);
}

EDAGde* EDALibrary::findGde(const std::string& type, const std::string& name) const {
  std::vector<EDAGde*> found;
  findGdes(type, name, &found);
  return found.empty() ? nullptr : found.front();
}

bool EDALibrary::hasGde(const std::string& type, const std::string& name) const {
  return findGde(type, name) != nullptr;
}

void EDALibrary::clear() {
  risingById_.clear();
  laterById_.clear();
  objectsByClass_.clear();
  byKey_.clear();
  categories_.clear();
  objects_.clear();
}

void EDALibrary::reserve(size_t objects) {
  objects_.reserve(objects_.size() + objects);
  risingById_.reserve(risingById_.size() + objects);
  byKey_.reserve(objects);
}

void EDALibrary::setLastError(const std::string& message) {
  assignLimited(&lastError_, message, kMaxErrorLength);
}
