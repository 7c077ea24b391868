#include "library/objects_by_key.h"

#include <functional>

#include "library/eda_workspace_object.h"

namespace {

size_t hashOf(std::string_view key) { return std::hash<std::string_view>()(key); }

// The smallest power of two that keeps `objects` within three quarters of the slots: probes stay
// short, and a million objects take 32 MB of slots rather than twice that.
size_t capacityFor(size_t objects) {
  size_t capacity = 16;
  while (capacity / 4 * 3 < objects) capacity *= 2;
  return capacity;
}

}  // namespace

void ObjectsByKey::reserve(size_t objects) {
  const size_t capacity = capacityFor(used_ + objects);
  if (capacity > slots_.size()) rehash(capacity);
}

void ObjectsByKey::add(EDAWorkspaceObject* object) {
  if (slots_.size() / 4 * 3 < used_ + 1) rehash(capacityFor(used_ + 1));
  const std::string_view key = object->getKey();
  const size_t hash = hashOf(key);
  Slot& slot = slots_[find(key, hash)];
  if (slot.object == nullptr) {
    slot = {hash, object};
    ++used_;
  } else {
    more_[slot.object->getKey()].push_back(object);
  }
}

void ObjectsByKey::clear() {
  slots_.clear();
  slots_.shrink_to_fit();
  used_ = 0;
  more_.clear();
}

EDAWorkspaceObject* ObjectsByKey::first(std::string_view key) const {
  if (used_ == 0) return nullptr;
  return slots_[find(key, hashOf(key))].object;
}

const std::vector<EDAWorkspaceObject*>* ObjectsByKey::more(std::string_view key) const {
  if (more_.empty()) return nullptr;
  const auto it = more_.find(key);
  return it != more_.end() ? &it->second : nullptr;
}

size_t ObjectsByKey::find(std::string_view key, size_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.object == nullptr) return i;
    if (slot.hash == hash && slot.object->getKey() == key) return i;
  }
}

void ObjectsByKey::rehash(size_t capacity) {
  std::vector<Slot> old(capacity);
  old.swap(slots_);
  const size_t mask = capacity - 1;
  for (const Slot& slot : old) {
    if (slot.object == nullptr) continue;
    size_t i = slot.hash & mask;
    while (slots_[i].object != nullptr) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}
