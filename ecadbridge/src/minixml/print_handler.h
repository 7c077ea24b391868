// Echoes any document as an indented outline, for diagnosis.
#pragma once

#include "minixml/trace_handler.h"

namespace minixml {

// Builds nothing: writes elements and attributes to the error output. Text, comments and
// processing instructions are left out.
class SAX2_edaXmlPrintHandlers : public TraceHandler {
 public:
  using TraceHandler::TraceHandler;

  void startDocument() override;
  void endDocument() override;
  void startElement(const XMLCh* uri, const XMLCh* localName, const XMLCh* qName,
                    const xercesc::Attributes& attrs) override;
  void endElement(const XMLCh* uri, const XMLCh* localName, const XMLCh* qName) override;
};

}  // namespace minixml
