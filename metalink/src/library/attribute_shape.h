// The name, type and unit of an attribute. A library holds the same few kinds of attribute in
// every object, so attributes share one immutable shape per kind rather than each keeping copies.
#pragma once

#include <memory>
#include <string>
#include <string_view>

class AttributeShape {
 public:
  // The shape of these texts, shared with the attributes that took the same shape recently on
  // this thread. The texts are kept exactly as given.
  static std::shared_ptr<const AttributeShape> get(std::string_view name, std::string_view type,
                                                   std::string_view unit);

  AttributeShape(std::string_view name, std::string_view type, std::string_view unit);

  const std::string& name() const { return name_; }
  const std::string& type() const { return type_; }
  const std::string& unit() const { return unit_; }
  // The type is "Reference" (the value names another object) or "ReferencedValue", ignoring
  // ASCII case.
  bool isReference() const { return reference_; }
  bool isReferencedValue() const { return referencedValue_; }

  bool has(std::string_view name, std::string_view type, std::string_view unit) const {
    return name == name_ && type == type_ && unit == unit_;
  }

 private:
  std::string name_, type_, unit_;
  bool reference_, referencedValue_;
};
