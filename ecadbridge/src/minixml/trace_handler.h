// What the three document handlers share: the error reports and the pieces of the trace.
#pragma once

#include <string>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>

#include "minixml/error_output.h"

namespace minixml {

// Reports the reader's warnings and errors to the error output as they arrive; the reader goes on
// after them (it counts them itself).
class TraceHandler : public xercesc::DefaultHandler {
 public:
  // `out` must outlive the handler.
  explicit TraceHandler(ErrorOutput* out) : out_(out) {}

  void warning(const xercesc::SAXParseException& e) override;
  void error(const xercesc::SAXParseException& e) override;
  void fatalError(const xercesc::SAXParseException& e) override;

 protected:
  ErrorOutput& out() { return *out_; }

  // The qualified name when there is no namespace, else URI ":" local name.
  static std::string elementName(const XMLCh* uri, const XMLCh* localName, const XMLCh* qName);
  // The qualified name when there is no namespace, else "*" URI ":" local name.
  static std::string attributeName(const xercesc::Attributes& attrs, XMLSize_t index);

  // One line per attribute at `levels`: name " = " value (value already in UTF-8).
  void echoAttribute(const xercesc::Attributes& attrs, XMLSize_t index, int levels,
                     const std::string& value);
  void echoAttributes(const xercesc::Attributes& attrs, int levels);

  // Steps one level down for a start tag. Throws SAXException when the document nests deeper
  // than any status or BOM document does: the reader's own cost grows with the square of the
  // depth, so a hostile document could otherwise hold the caller for minutes.
  void enterElement();

  int depth_ = 0;

 private:
  void report(const char* kind, const xercesc::SAXParseException& e);

  ErrorOutput* out_;
};

}  // namespace minixml
