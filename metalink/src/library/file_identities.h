// The identities a library file gives its objects, by which the reader reconnects relations and
// reference attributes once the whole file is read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "library/objects_by_number.h"

class EDAWorkspaceObject;

// Maps each identity text of the file to the object that claimed it first; the objects are links
// that must outlive the index. Texts spelled as this library writes identities ("id<n>") are
// kept by their number, so the many of them cost no text copy; any other text is kept as it is.
// Either way a text finds exactly the object remembered under the same text.
class FileIdentities {
 public:
  // An empty identity names nothing, so an empty reference never resolves to an object that
  // merely lacked its identity.
  void remember(std::string_view fileId, EDAWorkspaceObject* object);
  // The same for an identity as the parser reads it; non-UTF-16 is taken as the UTF-8 reader of
  // the other texts takes it (U+FFFD).
  void remember(std::u16string_view fileId, EDAWorkspaceObject* object);
  // Null for an empty or unknown identity. The answer is final as soon as the identity was
  // remembered, since a later claim of the same identity never wins, so it may be asked while
  // the file is still being read.
  EDAWorkspaceObject* lookup(std::string_view fileId) const;

 private:
  // Numbers that rise in the order remembered, which is how this library writes them, go into
  // one sorted block instead of a node per object; a number that does not rise goes into a map
  // beside it, so the block never needs sorting again.
  ObjectsByNumber byNumber_;
  std::unordered_map<int32_t, EDAWorkspaceObject*> outOfOrder_;
  std::unordered_map<std::string, EDAWorkspaceObject*> byText_;
};
