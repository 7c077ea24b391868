#include "minixml/xml_text.h"

#include "platform/text.h"

namespace minixml {

std::u16string_view xmlView(const XMLCh* text) {
  if (text == nullptr) return {};
  return std::u16string_view(text, platform::utf16Length(text));
}

std::string toUtf8(const XMLCh* text) { return platform::utf16ToUtf8(xmlView(text)); }

}  // namespace minixml
