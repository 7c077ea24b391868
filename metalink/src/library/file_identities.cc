#include "library/file_identities.h"

#include "library/eda_object.h"
#include "platform/text.h"

namespace {

// The longest identity getElemId writes: "id-2147483648".
constexpr size_t kMaxElemIdLength = 13;

}  // namespace

void FileIdentities::remember(std::string_view fileId, EDAWorkspaceObject* object) {
  if (fileId.empty()) return;
  int32_t number = 0;
  if (!EDAObject::parseElemId(fileId, &number)) {
    byText_.emplace(std::string(fileId), object);
    return;
  }
  if (byNumber_.empty() || number > byNumber_.back().first) {
    byNumber_.emplace_back(number, object);
  } else if (findByNumber(byNumber_, number) == nullptr) {
    // A number below the last cannot have been appended later, so it is claimed here or in
    // the rising list, never in both.
    outOfOrder_.emplace(number, object);
  }
}

void FileIdentities::remember(std::u16string_view fileId, EDAWorkspaceObject* object) {
  // An identity of this library's spelling is short ASCII: narrowed in place, not converted.
  if (fileId.size() <= kMaxElemIdLength) {
    char narrow[kMaxElemIdLength];
    size_t length = 0;
    for (const char16_t c : fileId) {
      if (c >= 0x80) break;
      narrow[length++] = static_cast<char>(c);
    }
    if (length == fileId.size()) {
      remember(std::string_view(narrow, length), object);
      return;
    }
  }
  remember(platform::utf16ToUtf8(fileId), object);
}

EDAWorkspaceObject* FileIdentities::lookup(std::string_view fileId) const {
  if (fileId.empty()) return nullptr;
  int32_t number = 0;
  if (EDAObject::parseElemId(fileId, &number)) {
    if (EDAWorkspaceObject* rising = findByNumber(byNumber_, number)) return rising;
    if (outOfOrder_.empty()) return nullptr;
    const auto it = outOfOrder_.find(number);
    return it == outOfOrder_.end() ? nullptr : it->second;
  }
  if (byText_.empty()) return nullptr;
  const auto it = byText_.find(std::string(fileId));
  return it == byText_.end() ? nullptr : it->second;
}
