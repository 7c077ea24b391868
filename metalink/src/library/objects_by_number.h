// Objects listed by the number of an identity, in one block instead of a node per object.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

class EDAWorkspaceObject;

using ObjectsByNumber = std::vector<std::pair<int32_t, EDAWorkspaceObject*>>;

inline bool lowerNumber(const std::pair<int32_t, EDAWorkspaceObject*>& a,
                        const std::pair<int32_t, EDAWorkspaceObject*>& b) {
  return a.first < b.first;
}

// The first object of `number` in a list sorted by number; null when there is none.
inline EDAWorkspaceObject* findByNumber(const ObjectsByNumber& objects, int32_t number) {
  const auto it = std::lower_bound(
      objects.begin(), objects.end(),
      std::make_pair(number, static_cast<EDAWorkspaceObject*>(nullptr)), lowerNumber);
  return it != objects.end() && it->first == number ? it->second : nullptr;
}
