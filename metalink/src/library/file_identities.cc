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
    byNumber_.emplace_back(number, object);
    sorted_ = false;
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
  if (fileId.empty()) return nullptr;
  int32_t number = 0;
  if (EDAObject::parseElemId(fileId, &number)) {
    const auto byFirst = [](const std::pair<int32_t, EDAWorkspaceObject*>& a,
                            const std::pair<int32_t, EDAWorkspaceObject*>& b) {
      return a.first < b.first;
    };
    if (!sorted_) {
      std::stable_sort(byNumber_.begin(), byNumber_.end(), byFirst);
      sorted_ = true;
    }
    const std::pair<int32_t, EDAWorkspaceObject*> wanted(number, nullptr);
    const auto it = std::lower_bound(byNumber_.begin(), byNumber_.end(), wanted, byFirst);
    return it != byNumber_.end() && it->first == number ? it->second : nullptr;
  }
  if (byText_.empty()) return nullptr;
  const auto it = byText_.find(std::string(fileId));
  return it == byText_.end() ? nullptr : it->second;
}
