#include "library/attribute_shape.h"

#include <array>

#include "library/eda_object.h"
#include "util/connector_util.h"

namespace {

// Shapes recently handed out on this thread are kept by a hash of their texts. A slot that is
// taken by another shape lets its old one go once no attribute holds it, so the cache stays this
// small whatever it is shown. One cache per thread: the shapes themselves are shared across
// threads, which their counted holds allow, but the cache's slots are not.
constexpr size_t kCachedShapes = 64;

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

AttributeShape::Ref AttributeShape::get(std::string_view name, std::string_view type,
                                        std::string_view unit) {
  thread_local std::array<Ref, kCachedShapes> cache;
  Ref& slot = cache[slotOf(name, type, unit)];
  if (slot.get() == nullptr || !slot->has(name, type, unit)) {
    slot = Ref(new AttributeShape(name, type, unit));
  }
  return slot;
}

AttributeShape::AttributeShape(std::string_view name, std::string_view type, std::string_view unit)
    : name_(name),
      type_(type),
      unit_(unit),
      reference_(ConnectorUtil::equalsIgnoreAsciiCase(type_, EDAAttribute::kReferenceType)),
      referencedValue_(ConnectorUtil::equalsIgnoreAsciiCase(type_, "ReferencedValue")) {}
