// Objects listed by the number of an identity, in one block instead of a node per object.
#pragma once

#include <algorithm>
#include <cmath>
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
  if (objects.empty()) return nullptr;
  // Objects are numbered as they are made, so a library's numbers rise at a nearly steady
  // stride: the place the stride gives is tried first, and a hit there costs one read instead
  // of a search through cold memory.
  const int32_t first = objects.front().first;
  const int32_t last = objects.back().first;
  if (number >= first && number <= last && last > first) {
    const double share =
        (static_cast<double>(number) - first) / (static_cast<double>(last) - first);
    const auto guess = std::min(
        objects.size() - 1,
        static_cast<size_t>(std::llround(share * static_cast<double>(objects.size() - 1))));
    if (objects[guess].first == number && (guess == 0 || objects[guess - 1].first < number)) {
      return objects[guess].second;
    }
  }
  const auto it = std::lower_bound(
      objects.begin(), objects.end(),
      std::make_pair(number, static_cast<EDAWorkspaceObject*>(nullptr)), lowerNumber);
  return it != objects.end() && it->first == number ? it->second : nullptr;
}
