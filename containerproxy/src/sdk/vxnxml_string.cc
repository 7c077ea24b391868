#include "sdk/vxnxml_string.h"

#include <utility>

#include "platform/text.h"

namespace vxnxml_api {

String::String(const char* narrow) {
  if (narrow != nullptr) *this = FromNarrow(narrow);
}

String::String(const char16_t* utf16, size_t length) {
  if (utf16 != nullptr) *this = FromUtf16(std::u16string(utf16, length));
}

String String::FromNarrow(std::string_view narrow) {
  return FromUtf16(platform::utf8ToUtf16(narrow));
}

String String::FromUtf16(std::u16string utf16) {
  String s;
  s.utf16_ = std::move(utf16);
  s.narrow_ = platform::utf16ToUtf8(s.utf16_);
  return s;
}

String& String::operator+=(const String& other) {
  // Converting the whole text again keeps a surrogate pair split across the two halves intact.
  utf16_ += other.utf16_;
  narrow_ = platform::utf16ToUtf8(utf16_);
  return *this;
}

}  // namespace vxnxml_api
