// The name, type and unit of an attribute. A library holds the same few kinds of attribute in
// every object, so attributes share one immutable shape per kind rather than each keeping copies.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

class AttributeShape {
 public:
  // A counted hold on a shape; the last hold to let go deletes it. One pointer wide, where a
  // shared_ptr is two: every attribute holds one. The count is atomic, since an attribute made
  // on one thread may die on another.
  class Ref {
   public:
    Ref() = default;
    Ref(const Ref& other) : shape_(other.shape_) { hold(); }
    Ref(Ref&& other) noexcept : shape_(other.shape_) { other.shape_ = nullptr; }
    Ref& operator=(Ref other) noexcept {
      std::swap(shape_, other.shape_);
      return *this;
    }
    ~Ref() { release(); }

    const AttributeShape* operator->() const { return shape_; }
    const AttributeShape* get() const { return shape_; }

   private:
    friend class AttributeShape;
    explicit Ref(const AttributeShape* shape) : shape_(shape) { hold(); }
    void hold() const {
      if (shape_ != nullptr) shape_->holds_.fetch_add(1, std::memory_order_relaxed);
    }
    void release() const {
      if (shape_ != nullptr && shape_->holds_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete shape_;
      }
    }

    const AttributeShape* shape_ = nullptr;
  };

  // The shape of these texts, shared with the attributes that took the same shape recently on
  // this thread. The texts are kept exactly as given.
  static Ref get(std::string_view name, std::string_view type, std::string_view unit);

  AttributeShape(const AttributeShape&) = delete;
  AttributeShape& operator=(const AttributeShape&) = delete;

  const std::string& name() const { return name_; }
  const std::string& type() const { return type_; }
  const std::string& unit() const { return unit_; }
  // The type is "Reference" (the value names another object) or "ReferencedValue", ignoring
  // ASCII case.
  bool isReference() const { return reference_; }
  bool isReferencedValue() const { return referencedValue_; }

 private:
  AttributeShape(std::string_view name, std::string_view type, std::string_view unit);
  ~AttributeShape() = default;

  bool has(std::string_view name, std::string_view type, std::string_view unit) const {
    return name == name_ && type == type_ && unit == unit_;
  }

  std::string name_, type_, unit_;
  bool reference_, referencedValue_;
  mutable std::atomic<uint32_t> holds_{0};
};
