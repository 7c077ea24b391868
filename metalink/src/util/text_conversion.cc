#include "util/text_conversion.h"

#include "platform/text.h"

std::u16string toWide(const std::string& utf8) {
  std::u16string wide = platform::utf8ToUtf16(utf8);
  const size_t nul = wide.find(u'\0');
  if (nul != std::u16string::npos) wide.resize(nul);
  return wide;
}

std::string toUtf8(const std::u16string& wide) {
  std::string utf8 = platform::utf16ToUtf8(wide);
  const size_t nul = utf8.find('\0');
  if (nul != std::string::npos) utf8.resize(nul);
  return utf8;
}

bool toUtf8Path(const std::u16string& wide, std::string* utf8, std::string* reason) {
  utf8->clear();
  if (wide.find(u'\0') != std::u16string::npos) {
    *reason = "it holds a NUL character";
    return false;
  }
  if (!platform::utf16ToUtf8Exact(wide, utf8)) {
    *reason = "it holds an unpaired UTF-16 surrogate";
    return false;
  }
  return true;
}
