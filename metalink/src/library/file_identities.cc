#include "library/file_identities.h"

#include <algorithm>

#include "library/eda_object.h"
#include "platform/text.h"

namespace {

// The longest identity getElemId writes: "id-2147483648".
constexpr size_t kMaxElemIdLength = 13;

}  // namespace

void FileIdentities::remember(std::string_view fileId, EDAWorkspaceObject* object) {
  if (fileId.empty()) return;
  int32_t number = 0;
  if (EDAObject::parseElemId(fileId, &number)) {
    // An equal number may follow: the first claim stays first either way.
    if (!byNumber_.empty() && number < byNumber_.back().first) sorted_ = false;
    byNumber_.emplace_back(number, object);
  } else {
    byText_.emplace(std::string(fileId), object);
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

EDAWorkspaceObject* FileIdentities::lookup(std::string_view fileId) {
  int32_t number = 0;
  if (!sorted_ && EDAObject::parseElemId(fileId, &number)) {
    std::stable_sort(byNumber_.begin(), byNumber_.end(), lowerNumber);
    sorted_ = true;
  }
  return lookupRemembered(fileId);
}

EDAWorkspaceObject* FileIdentities::lookupRemembered(std::string_view fileId) {
  if (fileId.empty()) return nullptr;
  int32_t number = 0;
  if (EDAObject::parseElemId(fileId, &number)) {
    return sorted_ ? findByNumber(byNumber_, number) : nullptr;
  }
  if (byText_.empty()) return nullptr;
  const auto it = byText_.find(std::string(fileId));
  return it == byText_.end() ? nullptr : it->second;
}
