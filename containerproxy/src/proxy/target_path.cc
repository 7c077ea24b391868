#include "proxy/target_path.h"

#include <filesystem>
#include <string>
#include <system_error>

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
    const std::u16string_view component(text.data() + start, end - start);
    if (component == u"..") return false;
    // The last component is the file; without one the name would be a directory.
    if (end == text.size() && (component.empty() || component == u".")) return false;
    start = end + 1;
  }
  return true;
}

bool partDirectoriesStayInside(const vxnxml_api::String& directory,
                               const vxnxml_api::String& name) {
  const std::string& text = name.Narrow();
  std::filesystem::path at(directory.Narrow());
  size_t start = 0;
  for (size_t slash = text.find(platform::kPathSeparator); slash != std::string::npos;
       start = slash + 1, slash = text.find(platform::kPathSeparator, start)) {
    if (slash == start) continue;
    at /= text.substr(start, slash - start);
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::symlink_status(at, error).type();
    if (type == std::filesystem::file_type::not_found) return true;
    if (type != std::filesystem::file_type::directory) return false;
  }
  return true;
}

vxnxml_api::String joinTargetPath(const vxnxml_api::String& directory,
                                  const vxnxml_api::String& name) {
  const char separator[] = {platform::kPathSeparator, '\0'};
  return directory + vxnxml_api::String(separator) + name;
}

}  // namespace containerproxy
