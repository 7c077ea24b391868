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
  // Null for an empty or unknown identity.
  EDAWorkspaceObject* lookup(std::string_view fileId);
  // The same while the file is still being read, for identities already remembered. It never
  // reorders the index, so while numbers arrive out of order it finds no number; asking lookup
  // again once everything is remembered gives the full answer. What it does find is final, as a
  // later claim of the same identity never wins.
  EDAWorkspaceObject* lookupRemembered(std::string_view fileId);

 private:
  // Numbers in the order remembered, sorted (stably, so the first claim of a number comes first)
  // at the first lookup after a remember that broke the order: one block instead of a node per
  // object. Files this library wrote give their numbers in rising order, so they stay sorted.
  ObjectsByNumber byNumber_;
  bool sorted_ = true;
  std::unordered_map<std::string, EDAWorkspaceObject*> byText_;
};
