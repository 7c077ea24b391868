#include "proxy/target_path.h"

#include <string>

#include "platform/files.h"

namespace containerproxy {
namespace {

bool isSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

}  // namespace

bool partNameStaysInside(const vxnxml_api::String& name) {
  const std::u16string& text = name.Utf16();
  if (text.empty() || isSeparator(text.front())) return false;
  // A drive ("C:") makes a Windows path absolute.
  const char16_t first = static_cast<char16_t>(text.front() | 0x20);
  if (text.size() >= 2 && text[1] == u':' && first >= u'a' && first <= u'z') return false;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = start;
    while (end < text.size() && !isSeparator(text[end])) ++end;
    if (text.compare(start, end - start, u"..") == 0) return false;
    start = end + 1;
  }
  return true;
}

vxnxml_api::String joinTargetPath(const vxnxml_api::String& directory,
                                  const vxnxml_api::String& name) {
  const char separator[] = {platform::kPathSeparator, '\0'};
  return directory + vxnxml_api::String(separator) + name;
}

}  // namespace containerproxy
