// The base of the library object model: identities, attributes, relations and the objects that
// can take part in relations.
//
// Every object gets an identity text "id<n>" from one process-wide counter when it is built;
// constructing an EDALibrary sets the counter back to 1, so a new library is "id1" and the
// objects built after it are "id2", "id3" and so on across all classes. Nothing here is
// guarded: the model is used by one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "library/attribute_shape.h"

class EDAObject {
 public:
  EDAObject();
  virtual ~EDAObject();
  EDAObject(const EDAObject&) = delete;
  EDAObject& operator=(const EDAObject&) = delete;

  // The class name ("EDAObject", "EDAItem", ...), a class-wide constant.
  virtual const std::string& getClassName() const;

  // "id<n>", made when asked: objects are many and their identities are rarely read.
  std::string getElemId() const;
  // The number n of the identity.
  int32_t getElemNumber() const { return elemNumber_; }
  // The number of an identity text "id<n>" as getElemId writes it; false for any other text.
  static bool parseElemId(std::string_view elemId, int32_t* number);

  // The value the last constructed object took.
  static uint32_t getObjectCounter() { return objectCounter_; }

 protected:
  // Used by EDALibrary: sets the counter back to 1 and takes that value.
  struct RestartCounter {};
  explicit EDAObject(RestartCounter);

 private:
  int32_t elemNumber_;
  static uint32_t objectCounter_;
};

// A named value of a workspace object, with a type ("String" unless set), a unit and a required
// flag. Type "Reference" means the value is the elemId of another object of the same library.
// Owned by its workspace object.
class EDAAttribute : public EDAObject {
 public:
  static constexpr const char* kReferenceType = "Reference";

  // Null for an empty name.
  static std::unique_ptr<EDAAttribute> create(const std::string& name);

  explicit EDAAttribute(const std::string& name);
  const std::string& getClassName() const override;

  const std::string& getName() const { return shape_->name(); }
  const std::string& getValue() const { return value_; }
  const std::string& getType() const { return shape_->type(); }
  const std::string& getUnit() const { return shape_->unit(); }
  bool isRequired() const { return required_; }
  // "true" or "false".
  const char* getRequiredText() const { return required_ ? "true" : "false"; }

  void setValue(std::string value) { value_ = std::move(value); }
  void setType(const std::string& type);
  void setUnit(const std::string& unit);
  void setRequired(bool required) { required_ = required; }
  // "true" in any letter case gives true, anything else false.
  void setRequiredFromText(const std::string& text);

  // Type tests, ignoring ASCII case.
  bool isReference() const { return shape_->isReference(); }
  bool isReferencedValue() const { return shape_->isReferencedValue(); }

 private:
  // First, so that it takes the padding after the base's fields: libraries hold attributes by
  // the hundred thousand.
  bool required_ = false;
  AttributeShape::Ref shape_;
  std::string value_;
};

class EDAContextObject;

// A typed link from a primary to a secondary object. Owned by its primary; the secondary lists
// it among its referencing relations.
class EDARelation : public EDAObject {
 public:
  // Null when `primary` or `secondary` is null. Does not link the relation into either object;
  // EDAContextObject::addRelation does.
  static std::unique_ptr<EDARelation> create(const std::string& type, EDAContextObject* primary,
                                             EDAContextObject* secondary);

  EDARelation(const std::string& type, EDAContextObject* primary, EDAContextObject* secondary);
  const std::string& getClassName() const override;

  const std::string& getRelationType() const { return relationType_; }
  EDAContextObject* getPrimary() const { return primary_; }
  EDAContextObject* getSecondary() const { return secondary_; }

 private:
  friend class EDAContextObject;

  std::string relationType_;
  EDAContextObject* primary_;
  EDAContextObject* secondary_;
  // The primary's next relation. Most objects have one relation, and a chain gives it no list of
  // its own; the pointer fits the relation's heap block as it was.
  std::unique_ptr<EDARelation> next_;
};

// An object that takes part in relations. Owns the relations in which it is primary. Objects of
// one library may relate to each other freely; they all die together with the library.
class EDAContextObject : public EDAObject {
 public:
  EDAContextObject();
  ~EDAContextObject() override;
  const std::string& getClassName() const override;

  // Appends a relation to `secondary` (null: nothing, returns null) and lists it with the
  // secondary too. The returned relation is owned by this object.
  EDARelation* addRelation(const std::string& type, EDAContextObject* secondary);
  EDARelation* addRelation(EDAContextObject* secondary);  // Empty relation type.

  // Relations in which this object is primary (owned) or secondary (links), in order.
  std::vector<EDARelation*> getRelations() const;
  const std::vector<EDARelation*>& getReferencingRelations() const;

  // Clears `*out`, then appends the secondaries of the relations whose type equals
  // `relationType` ignoring ASCII case, in relation order. An empty type matches nothing.
  void getSecondaryObjects(const std::string& relationType,
                           std::vector<EDAContextObject*>* out) const;

 private:
  // The owned relations as a chain from the first, each owning the next; the last is at hand for
  // appending.
  std::unique_ptr<EDARelation> firstRelation_;
  EDARelation* lastRelation_ = nullptr;
  // Made on the first relation that names this object: most objects are named by none.
  std::unique_ptr<std::vector<EDARelation*>> referencingRelations_;
};
