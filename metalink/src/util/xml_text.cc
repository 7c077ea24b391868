#include "util/xml_text.h"

#include <cstring>
#include <memory>
#include <string>
#include <xercesc/dom/DOMAttr.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>

#include "platform/text.h"
#include "util/connector_util.h"

using XERCES_CPP_NAMESPACE::DOMElement;
using XERCES_CPP_NAMESPACE::DOMNamedNodeMap;
using XERCES_CPP_NAMESPACE::DOMNode;

A2XStr::A2XStr(const char* utf8) {
  if (utf8 == nullptr) return;
  const std::u16string wide = platform::utf8ToUtf16(utf8);
  buffer_.reset(new XMLCh[wide.size() + 1]);
  std::memcpy(buffer_.get(), wide.c_str(), (wide.size() + 1) * sizeof(XMLCh));
}

X2AStr::X2AStr(const XMLCh* text) {
  if (text == nullptr) return;
  const std::string utf8 = platform::utf16ToUtf8(std::u16string_view(text));
  buffer_.reset(new char[utf8.size() + 1]);
  std::memcpy(buffer_.get(), utf8.c_str(), utf8.size() + 1);
}

bool getAttributeText(const DOMElement* element, const char* name, std::unique_ptr<char[]>* text,
                      size_t* length) {
  text->reset();
  *length = 0;
  if (element == nullptr || name == nullptr) return false;
  const DOMNamedNodeMap* attributes = element->getAttributes();
  if (attributes == nullptr || attributes->getLength() == 0) return false;
  for (XMLSize_t i = 0; i < attributes->getLength(); ++i) {
    const DOMNode* attribute = attributes->item(i);
    const X2AStr attributeName(attribute->getNodeName());
    if (attributeName.get() == nullptr ||
        !ConnectorUtil::equalsIgnoreAsciiCase(attributeName.get(), name))
      continue;
    const X2AStr value(attribute->getNodeValue());
    const char* v = value.get() ? value.get() : "";
    *length = std::strlen(v);
    *text = std::make_unique<char[]>(*length + 1);
    std::memcpy(text->get(), v, *length);
    return true;
  }
  return false;
}
