// vxnxml_api::String: the text type of the XML SDK. The text is held as UTF-16; the narrow form
// handed out for messages and file names is UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vxnxml_api {

class String {
 public:
  String() = default;
  // Narrow (UTF-8) text; null counts as empty. Implicit so that literals can be passed where a
  // String is expected, as the SDK's callers do.
  String(const char* narrow);  // NOLINT(google-explicit-constructor)
  // `length` UTF-16 units from `utf16`, which need not be terminated.
  String(const char16_t* utf16, size_t length);
  static String FromNarrow(std::string_view narrow);
  static String FromUtf16(std::u16string utf16);

  // Valid until the String changes or dies. The narrow text ends at the first NUL, if the text
  // holds one (see ContainsNul).
  const char* GetNarrow() const { return narrow_.c_str(); }
  const char16_t* GetUtf16() const { return utf16_.c_str(); }
  // Length in UTF-16 units.
  size_t GetLength() const { return utf16_.size(); }
  bool IsEmpty() const { return utf16_.empty(); }
  bool ContainsNul() const { return utf16_.find(u'\0') != std::u16string::npos; }

  const std::string& Narrow() const { return narrow_; }
  const std::u16string& Utf16() const { return utf16_; }

  String& operator+=(const String& other);
  friend String operator+(const String& a, const String& b) {
    String joined = a;
    joined += b;
    return joined;
  }

  friend bool operator==(const String& a, const String& b) { return a.utf16_ == b.utf16_; }
  friend bool operator!=(const String& a, const String& b) { return a.utf16_ != b.utf16_; }
  friend bool operator<(const String& a, const String& b) { return a.utf16_ < b.utf16_; }

 private:
  std::u16string utf16_;
  std::string narrow_;  // always utf16_ in UTF-8
};

}  // namespace vxnxml_api
