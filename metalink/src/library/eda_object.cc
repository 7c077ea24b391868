#include "library/eda_object.h"

#include <cstdint>

#include "util/connector_util.h"

uint32_t EDAObject::objectCounter_ = 0;

EDAObject::EDAObject() : elemNumber_(static_cast<int32_t>(++objectCounter_)) {}

EDAObject::EDAObject(RestartCounter) : elemNumber_(1) { objectCounter_ = 1; }

std::string EDAObject::getElemId() const { return ConnectorUtil::makeElemId(elemNumber_); }

bool EDAObject::parseElemId(std::string_view elemId, int32_t* number) {
  if (elemId.size() < 3 || elemId.size() > 13 || elemId.substr(0, 2) != "id") return false;
  size_t at = 2;
  const bool negative = elemId[at] == '-';
  if (negative) ++at;
  if (at == elemId.size()) return false;
  // Only the spelling getElemId makes: no leading zeros, no "-0".
  if (elemId[at] == '0' && (negative || at + 1 != elemId.size())) return false;
  int64_t value = 0;
  for (; at < elemId.size(); ++at) {
    const char c = elemId[at];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return false;
  *number = static_cast<int32_t>(value);
  return true;
}

EDAObject::~EDAObject() = default;

const std::string& EDAObject::getClassName() const {
  static const std::string name = "EDAObject";
  return name;
}

std::unique_ptr<EDAAttribute> EDAAttribute::create(const std::string& name) {
  if (name.empty()) return nullptr;
  return std::make_unique<EDAAttribute>(name);
}

EDAAttribute::EDAAttribute(const std::string& name)
    : shape_(AttributeShape::get(name, "String", std::string_view())) {}

const std::string& EDAAttribute::getClassName() const {
  static const std::string name = "EDAAttribute";
  return name;
}

void EDAAttribute::setRequiredFromText(const std::string& text) {
  required_ = ConnectorUtil::equalsIgnoreAsciiCase(text, "true");
}

void EDAAttribute::setType(const std::string& type) {
  if (type != shape_->type()) shape_ = AttributeShape::get(shape_->name(), type, shape_->unit());
}

void EDAAttribute::setUnit(const std::string& unit) {
  if (unit != shape_->unit()) shape_ = AttributeShape::get(shape_->name(), shape_->type(), unit);
}

std::unique_ptr<EDARelation> EDARelation::create(const std::string& type, EDAContextObject* primary,
                                                 EDAContextObject* secondary) {
  if (primary == nullptr || secondary == nullptr) return nullptr;
  return std::make_unique<EDARelation>(type, primary, secondary);
}

EDARelation::EDARelation(const std::string& type, EDAContextObject* primary,
                         EDAContextObject* secondary)
    : relationType_(type), primary_(primary), secondary_(secondary) {}

const std::string& EDARelation::getClassName() const {
  static const std::string name = "EDARelation";
  return name;
}

EDAContextObject::EDAContextObject() = default;

// Unlinks the chain one relation at a time: left to the relations' own destructors, a long chain
// would nest one call per relation.
EDAContextObject::~EDAContextObject() {
  while (firstRelation_ != nullptr) firstRelation_ = std::move(firstRelation_->next_);
}

const std::string& EDAContextObject::getClassName() const {
  static const std::string name = "EDAContextObject";
  return name;
}

EDARelation* EDAContextObject::addRelation(const std::string& type, EDAContextObject* secondary) {
  std::unique_ptr<EDARelation> relation = EDARelation::create(type, this, secondary);
  if (relation == nullptr) return nullptr;
  if (secondary->referencingRelations_ == nullptr) {
    secondary->referencingRelations_ = std::make_unique<std::vector<EDARelation*>>();
  }
  secondary->referencingRelations_->push_back(relation.get());
  EDARelation* added = relation.get();
  (lastRelation_ != nullptr ? lastRelation_->next_ : firstRelation_) = std::move(relation);
  lastRelation_ = added;
  return added;
}

EDARelation* EDAContextObject::addRelation(EDAContextObject* secondary) {
  return addRelation(std::string(), secondary);
}

std::vector<EDARelation*> EDAContextObject::getRelations() const {
  std::vector<EDARelation*> out;
  for (EDARelation* r = firstRelation_.get(); r != nullptr; r = r->next_.get()) out.push_back(r);
  return out;
}

const std::vector<EDARelation*>& EDAContextObject::getReferencingRelations() const {
  static const std::vector<EDARelation*> none;
  return referencingRelations_ != nullptr ? *referencingRelations_ : none;
}

void EDAContextObject::getSecondaryObjects(const std::string& relationType,
                                           std::vector<EDAContextObject*>* out) const {
  out->clear();
  if (relationType.empty()) return;
  for (const EDARelation* relation = firstRelation_.get(); relation != nullptr;
       relation = relation->next_.get()) {
    if (ConnectorUtil::equalsIgnoreAsciiCase(relation->getRelationType(), relationType)) {
      out->push_back(relation->getSecondary());
    }
  }
}
