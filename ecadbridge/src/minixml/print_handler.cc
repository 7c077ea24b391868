#include "minixml/print_handler.h"

namespace minixml {

void SAX2_edaXmlPrintHandlers::startDocument() {
  depth_ = 0;
  out() << "\n\n\nStart Document\n";
}

void SAX2_edaXmlPrintHandlers::endDocument() {
  depth_ = 0;
  out() << "End Document\n\n\n";
}

void SAX2_edaXmlPrintHandlers::startElement(const XMLCh* uri, const XMLCh* localName,
                                            const XMLCh* qName, const xercesc::Attributes& attrs) {
  enterElement();
  out().indent(depth_);
  out() << "Start Element kind = " << elementName(uri, localName, qName) << "\n";
  echoAttributes(attrs, depth_ + 1);
}

void SAX2_edaXmlPrintHandlers::endElement(const XMLCh* uri, const XMLCh* localName,
                                          const XMLCh* qName) {
  out().indent(depth_);
  out() << "End Element kind = " << elementName(uri, localName, qName) << "\n";
  --depth_;
}

}  // namespace minixml
