#include "minixml/trace_handler.h"

#include <xercesc/sax/SAXParseException.hpp>

#include "minixml/xml_text.h"

namespace minixml {
namespace {
constexpr int kMaxDepth = 1000;
}  // namespace

void TraceHandler::enterElement() {
  if (++depth_ > kMaxDepth) {
    throw xercesc::SAXException(u"element nesting deeper than 1000 levels");
  }
}

void TraceHandler::report(const char* kind, const xercesc::SAXParseException& e) {
  out() << "\n"
        << kind << " at file " << toUtf8(e.getSystemId()) << ", line "
        << static_cast<unsigned long long>(e.getLineNumber()) << ", char "
        << static_cast<unsigned long long>(e.getColumnNumber())
        << "\n  Message: " << toUtf8(e.getMessage()) << "\n";
}

void TraceHandler::warning(const xercesc::SAXParseException& e) { report("Warning", e); }
void TraceHandler::error(const xercesc::SAXParseException& e) { report("Error", e); }
void TraceHandler::fatalError(const xercesc::SAXParseException& e) { report("Fatal Error", e); }

std::string TraceHandler::elementName(const XMLCh* uri, const XMLCh* localName,
                                      const XMLCh* qName) {
  if (xmlView(uri).empty()) return toUtf8(qName);
  return toUtf8(uri) + ":" + toUtf8(localName);
}

std::string TraceHandler::attributeName(const xercesc::Attributes& attrs, XMLSize_t index) {
  const XMLCh* uri = attrs.getURI(index);
  if (xmlView(uri).empty()) return toUtf8(attrs.getQName(index));
  return "*" + toUtf8(uri) + ":" + toUtf8(attrs.getLocalName(index));
}

void TraceHandler::echoAttribute(const xercesc::Attributes& attrs, XMLSize_t index, int levels,
                                 const std::string& value) {
  out().indent(levels);
  out() << attributeName(attrs, index) << " = " << value << "\n";
}

void TraceHandler::echoAttributes(const xercesc::Attributes& attrs, int levels) {
  for (XMLSize_t i = 0; i < attrs.getLength(); ++i) {
    echoAttribute(attrs, i, levels, toUtf8(attrs.getValue(i)));
  }
}

}  // namespace minixml
