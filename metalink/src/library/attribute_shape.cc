#include "library/attribute_shape.h"

#include <array>

#include "util/connector_util.h"

namespace {

// Shapes recently handed out on this thread, by a hash of their texts. A slot that is taken by
// another shape lets its old one go once no attribute holds it, so the cache stays this small
// whatever it is shown. One cache per thread: the shapes themselves are shared across threads,
// which their shared ownership allows, but the cache's slots are not.
constexpr size_t kCachedShapes = 64;
using ShapeCache = std::array<std::shared_ptr<const AttributeShape>, kCachedShapes>;

// Lengths and end characters: cheap, and enough to spread the few kinds of one library.
size_t slotOf(std::string_view name, std::string_view type, std::string_view unit) {
  const auto ends = [](std::string_view text) -> size_t {
    return text.empty() ? 0
                        : static_cast<unsigned char>(text.front()) * 7 +
                              static_cast<unsigned char>(text.back());
  };
  const size_t mixed = (name.size() * 31 + ends(name)) * 131 + (type.size() + ends(type)) * 17 +
                       unit.size() + ends(unit);
  return mixed % kCachedShapes;
}

}  // namespace

std::shared_ptr<const AttributeShape> AttributeShape::get(std::string_view name,
                                                          std::string_view type,
                                                          std::string_view unit) {
  thread_local ShapeCache cache;
  std::shared_ptr<const AttributeShape>& slot = cache[slotOf(name, type, unit)];
  if (slot == nullptr || !slot->has(name, type, unit)) {
    slot = std::make_shared<const AttributeShape>(name, type, unit);
  }
  return slot;
}

AttributeShape::AttributeShape(std::string_view name, std::string_view type, std::string_view unit)
    : name_(name),
      type_(type),
      unit_(unit),
      reference_(ConnectorUtil::equalsIgnoreAsciiCase(type_, "Reference")),
      referencedValue_(ConnectorUtil::equalsIgnoreAsciiCase(type_, "ReferencedValue")) {}
