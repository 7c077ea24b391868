#include "minixml/bom_handler.h"

#include <iterator>

#include "minixml/record_fields.h"
#include "minixml/record_store.h"
#include "minixml/xml_text.h"

namespace minixml {
namespace {

// The trace calls the CCA's name "Name", unlike every other field, so this table is written out;
// the assertion makes sure it still covers the whole list.
const TextField<CCAElements> kCCAFields[] = {
    {u"name", "Name", &CCAElements::name},
    MINIXML_FIELD(CCAElements, itemId),
    MINIXML_FIELD(CCAElements, revId),
    MINIXML_FIELD(CCAElements, bom),
};
#define MINIXML_COUNT_FIELD(Record, name) +1
static_assert(std::size(kCCAFields) == 0 MINIXML_FIELDS_CCAElements(MINIXML_COUNT_FIELD, _),
              "every CCA field has an entry");
#undef MINIXML_COUNT_FIELD

const TextField<ccaVariantElement> kVariantFields[] = MINIXML_FIELD_TABLE(ccaVariantElement);

const TextField<datasetElement> kDatasetFields[] = MINIXML_FIELD_TABLE(datasetElement);

}  // namespace

void SAX2_edaXmlBomHandlers::startDocument() {
  depth_ = 0;
  out() << "\n\n\nStart Bom Document\n";
}

void SAX2_edaXmlBomHandlers::endDocument() {
  depth_ = 0;
  out() << "End Bom Document\n\n\n";
}

void SAX2_edaXmlBomHandlers::startElement(const XMLCh* uri, const XMLCh* localName,
                                          const XMLCh* qName, const xercesc::Attributes& attrs) {
  enterElement();
  out().indent(depth_);
  out() << "Start Bom Element kind = " << elementName(uri, localName, qName) << "\n";

  std::u16string_view name = xmlView(qName);
  if (name == u"CCA") {
    readCCA(attrs);
  } else if (name == u"CCAVariant") {
    readVariant(attrs);
  } else if (name == u"dataset") {
    readDataset(attrs);
  } else if (name == u"component") {
    // Its content is handled like any other, so datasets inside a component still count.
    out().indent(depth_);
    out() << "Found a component, skipping this section\n";
  } else if (name == u"attr") {
    out().indent(depth_);
    out() << "Found an attr section\n";
    echoAttributes(attrs, depth_ + 1);
  }
}

void SAX2_edaXmlBomHandlers::endElement(const XMLCh* uri, const XMLCh* localName,
                                        const XMLCh* qName) {
  out().indent(depth_);
  out() << "End Bom Element kind = " << elementName(uri, localName, qName) << "\n";
  --depth_;
}

void SAX2_edaXmlBomHandlers::readCCA(const xercesc::Attributes& attrs) {
  out().indent(depth_);
  out() << "Found the CCA\n";
  // A later CCA element replaces the earlier one as the result.
  cca_ = RecordStore::instance().make<CCAElements>();
  const int levels = depth_ + 1;
  readFields(cca_, kCCAFields, attrs,
             [&](XMLSize_t i, const TextField<CCAElements>* field, const std::string& value) {
               echoAttribute(attrs, i, levels, value);
               if (field == nullptr) return;
               out().indent(levels);
               out() << "CCAElements " << field->label << " = " << value << "\n";
             });
}

void SAX2_edaXmlBomHandlers::readVariant(const xercesc::Attributes& attrs) {
  out().indent(depth_);
  out() << "Found the data CCAVariant\n";
  // Without a CCA element before it the variant belongs to nothing and is only traced.
  ccaVariantElement* node =
      cca_ != nullptr ? RecordStore::instance().make<ccaVariantElement>() : nullptr;
  const int levels = depth_ + 1;
  readFields(node, kVariantFields, attrs,
             [&](XMLSize_t, const TextField<ccaVariantElement>* field, const std::string& value) {
               if (field == nullptr) return;
               out().indent(levels);
               out() << "ccaVariantElement " << field->label << " = " << value << "\n";
             });
  if (node != nullptr) pushFront(&cca_->variants, node);
}

void SAX2_edaXmlBomHandlers::readDataset(const xercesc::Attributes& attrs) {
  out().indent(depth_);
  out() << "Found the data set\n";
  datasetElement* node = cca_ != nullptr ? RecordStore::instance().make<datasetElement>() : nullptr;
  const int levels = depth_ + 1;
  readFields(node, kDatasetFields, attrs,
             [&](XMLSize_t i, const TextField<datasetElement>* field, const std::string& value) {
               echoAttribute(attrs, i, levels, value);
               if (field == nullptr) return;
               out().indent(levels);
               out() << "datasetElement " << field->label << " = " << value << "\n";
             });
  if (node != nullptr) pushFront(&cca_->datasets, node);
}

}  // namespace minixml
