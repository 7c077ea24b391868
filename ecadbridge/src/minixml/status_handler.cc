#include "minixml/status_handler.h"

#include "minixml/record_fields.h"
#include "minixml/record_store.h"
#include "minixml/xml_text.h"

namespace minixml {
namespace {

const TextField<EDAStatusElement> kStatusFields[] = MINIXML_FIELD_TABLE(EDAStatusElement);

const TextField<EDAPreSaveStatusElement> kPreSaveFields[] =
    MINIXML_FIELD_TABLE(EDAPreSaveStatusElement);

const TextField<EDASaveStatusElement> kSaveFields[] = MINIXML_FIELD_TABLE(EDASaveStatusElement);

const TextField<EDAPreSaveAsStatusElement> kPreSaveAsFields[] =
    MINIXML_FIELD_TABLE(EDAPreSaveAsStatusElement);

const TextField<EDASaveAsStatusElement> kSaveAsFields[] =
    MINIXML_FIELD_TABLE(EDASaveAsStatusElement);

const TextField<EDACheckOutOrRefreshStatusElement> kCheckOutOrRefreshFields[] =
    MINIXML_FIELD_TABLE(EDACheckOutOrRefreshStatusElement);

const TextField<EDAGetStagingDirStatusElement> kGetStagingDirFields[] =
    MINIXML_FIELD_TABLE(EDAGetStagingDirStatusElement);

const TextField<EDAReconcilePartsSelectStatusElement> kReconcilePartsSelectFields[] =
    MINIXML_FIELD_TABLE(EDAReconcilePartsSelectStatusElement);

const TextField<EDAPreCheckInStatusElement> kPreCheckInFields[] =
    MINIXML_FIELD_TABLE(EDAPreCheckInStatusElement);

const TextField<EDACancelCheckoutStatusElement> kCancelCheckoutFields[] =
    MINIXML_FIELD_TABLE(EDACancelCheckoutStatusElement);

const TextField<variantBomOptionElement> kVariantBomOptionFields[] =
    MINIXML_FIELD_TABLE(variantBomOptionElement);

const TextField<relatedDSRefreshStatusElement> kRelatedDSFields[] =
    MINIXML_FIELD_TABLE(relatedDSRefreshStatusElement);

}  // namespace

void SAX2_edaXmlStatusHandlers::startDocument() {
  depth_ = 0;
  out() << "\n\n\nStart Status Document\n";
}

void SAX2_edaXmlStatusHandlers::endDocument() {
  depth_ = 0;
  out() << "End Status Document\n\n\n";
}

void SAX2_edaXmlStatusHandlers::startElement(const XMLCh* uri, const XMLCh* localName,
                                             const XMLCh* qName, const xercesc::Attributes& attrs) {
  enterElement();
  out().indent(depth_);
  std::optional<StatusKind> kind;
  // An element outside any namespace, or written with a prefix, is not part of the vocabulary.
  if (!xmlView(uri).empty()) kind = findStatusElement(xmlView(qName));
  if (kind) {
    out() << "Found the " << toUtf8(qName) << "\n";
    makeRecord(*kind, attrs);
  } else {
    out() << "Start Status Element kind = " << elementName(uri, localName, qName) << "\n";
  }
  echoAttributes(attrs, depth_ + 1);
}

void SAX2_edaXmlStatusHandlers::endElement(const XMLCh* uri, const XMLCh* localName,
                                           const XMLCh* qName) {
  out().indent(depth_);
  out() << "End Status Element kind = " << elementName(uri, localName, qName) << "\n";
  --depth_;
}

namespace {

// Makes a record of the given layout from the element's attributes and traces each value read.
// When `keep` is false nothing is allocated: the node would have no owner.
template <typename Record, size_t N>
Record* readRecord(ErrorOutput& out, int levels, std::string_view recordName,
                   const TextField<Record> (&fields)[N], const xercesc::Attributes& attrs,
                   bool keep = true) {
  Record* record = keep ? RecordStore::instance().make<Record>() : nullptr;
  readFields(record, fields, attrs,
             [&](XMLSize_t, const TextField<Record>* field, const std::string& value) {
               if (field == nullptr) return;
               out.indent(levels);
               out << "Found the " << field->label << "\n";
               out.indent(levels);
               out << recordName << " " << field->label << " = " << value << "\n";
             });
  return record;
}

}  // namespace

variantBomOptionElement** SAX2_edaXmlStatusHandlers::variantListOwner() {
  if (records_.preSave) return &records_.preSave->variantBomOptions;
  if (records_.preSaveAs) return &records_.preSaveAs->variantBomOptions;
  if (records_.reconcilePartsSelect) return &records_.reconcilePartsSelect->variantBomOptions;
  if (records_.preCheckIn) return &records_.preCheckIn->variantBomOptions;
  return nullptr;
}

void SAX2_edaXmlStatusHandlers::makeRecord(StatusKind kind, const xercesc::Attributes& attrs) {
  ErrorOutput& o = out();
  const int levels = depth_ + 1;
  switch (kind) {
    case StatusKind::kStatus:
      records_.status = readRecord(o, levels, "EDAStatusElement", kStatusFields, attrs);
      break;
    case StatusKind::kPreSave:
      records_.preSave = readRecord(o, levels, "EDAPreSaveStatusElement", kPreSaveFields, attrs);
      break;
    case StatusKind::kSave:
      records_.save = readRecord(o, levels, "EDASaveStatusElement", kSaveFields, attrs);
      break;
    case StatusKind::kPreSaveAs:
      records_.preSaveAs =
          readRecord(o, levels, "EDAPreSaveAsStatusElement", kPreSaveAsFields, attrs);
      break;
    case StatusKind::kSaveAs:
      records_.saveAs = readRecord(o, levels, "EDASaveAsStatusElement", kSaveAsFields, attrs);
      break;
    case StatusKind::kCheckOutOrRefresh:
      records_.checkOutOrRefresh = readRecord(o, levels, "EDACheckOutOrRefreshStatusElement",
                                              kCheckOutOrRefreshFields, attrs);
      break;
    case StatusKind::kGetStagingDir:
      records_.getStagingDir =
          readRecord(o, levels, "EDAGetStagingDirStatusElement", kGetStagingDirFields, attrs);
      break;
    case StatusKind::kReconcilePartsSelect:
      records_.reconcilePartsSelect = readRecord(o, levels, "EDAReconcilePartsSelectStatusElement",
                                                 kReconcilePartsSelectFields, attrs);
      break;
    case StatusKind::kPreCheckIn:
      records_.preCheckIn =
          readRecord(o, levels, "EDAPreCheckInStatusElement", kPreCheckInFields, attrs);
      break;
    case StatusKind::kCancelCheckout:
      records_.cancelCheckout =
          readRecord(o, levels, "EDACancelCheckoutStatusElement", kCancelCheckoutFields, attrs);
      break;
    case StatusKind::kVariantBomOption: {
      // Goes to the first record that takes variants; without one the option is dropped.
      variantBomOptionElement** head = variantListOwner();
      variantBomOptionElement* node = readRecord(o, levels, "variantBomOptionElement",
                                                 kVariantBomOptionFields, attrs, head != nullptr);
      if (head != nullptr) pushFront(head, node);
      break;
    }
    case StatusKind::kRelatedDSRefreshStatus: {
      EDACheckOutOrRefreshStatusElement* owner = records_.checkOutOrRefresh;
      relatedDSRefreshStatusElement* node = readRecord(o, levels, "relatedDSRefreshStatusElement",
                                                       kRelatedDSFields, attrs, owner != nullptr);
      if (owner != nullptr) pushFront(&owner->relatedDatasets, node);
      break;
    }
  }
}

}  // namespace minixml
