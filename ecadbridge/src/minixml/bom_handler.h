// Reads a BOM document of the Java client into a CCAElements record.
#pragma once

#include "ecadbridge/minixml.h"
#include "minixml/trace_handler.h"

namespace minixml {

// Elements are recognised by exact qualified name in any namespace. The result is the last CCA
// element with the variants and datasets that follow it; records live in the RecordStore. One
// handler serves one parse.
class SAX2_edaXmlBomHandlers : public TraceHandler {
 public:
  using TraceHandler::TraceHandler;

  CCAElements* ccaElements() const { return cca_; }

  void startDocument() override;
  void endDocument() override;
  void startElement(const XMLCh* uri, const XMLCh* localName, const XMLCh* qName,
                    const xercesc::Attributes& attrs) override;
  void endElement(const XMLCh* uri, const XMLCh* localName, const XMLCh* qName) override;

 private:
  void readCCA(const xercesc::Attributes& attrs);
  void readVariant(const xercesc::Attributes& attrs);
  void readDataset(const xercesc::Attributes& attrs);

  CCAElements* cca_ = nullptr;
};

}  // namespace minixml
