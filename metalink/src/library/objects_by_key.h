// Workspace objects listed by key, in the order they were added.
#pragma once

#include <cstddef>
#include <string_view>
#include <unordered_map>
#include <vector>

class EDAWorkspaceObject;

// Keys are nearly always unique, so the first object of each key sits in one open-addressed
// block: no node per object, and a lookup touches one slot and the object it names. Only the
// objects after the first of a key pay for a list. The keys are read from the objects, which
// must outlive their listing.
class ObjectsByKey {
 public:
  // Room for `objects` more objects without growing.
  void reserve(size_t objects);
  void add(EDAWorkspaceObject* object);
  void clear();

  // The first object added under `key`, or null.
  EDAWorkspaceObject* first(std::string_view key) const;
  // The objects added under `key` after the first, or null when there are none.
  const std::vector<EDAWorkspaceObject*>* more(std::string_view key) const;

 private:
  struct Slot {
    size_t hash = 0;
    EDAWorkspaceObject* object = nullptr;  // Null: the slot is free.
  };

  // The slot holding `key`, or the free slot where it would go.
  size_t find(std::string_view key, size_t hash) const;
  // Moves every slot into a block of `capacity` slots, a power of two.
  void rehash(size_t capacity);

  std::vector<Slot> slots_;  // At most three quarters full.
  size_t used_ = 0;
  std::unordered_map<std::string_view, std::vector<EDAWorkspaceObject*>> more_;
};
