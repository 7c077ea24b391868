// Reads a status document of the Java client into status records.
#pragma once

#include "ecadbridge/minixml.h"
#include "minixml/status_vocabulary.h"
#include "minixml/trace_handler.h"

namespace minixml {

// The records one status parse found; null for each kind the document did not contain.
struct StatusRecords {
  EDAStatusElement* status = nullptr;
  EDAPreSaveStatusElement* preSave = nullptr;
  EDASaveStatusElement* save = nullptr;
  EDAPreSaveAsStatusElement* preSaveAs = nullptr;
  EDASaveAsStatusElement* saveAs = nullptr;
  EDACheckOutOrRefreshStatusElement* checkOutOrRefresh = nullptr;
  EDAGetStagingDirStatusElement* getStagingDir = nullptr;
  EDAReconcilePartsSelectStatusElement* reconcilePartsSelect = nullptr;
  EDAPreCheckInStatusElement* preCheckIn = nullptr;
  EDACancelCheckoutStatusElement* cancelCheckout = nullptr;
};

// Only elements in a namespace whose qualified name has no prefix count (the Java client writes
// status documents under a default namespace); attributes are matched by qualified name. Records
// live in the RecordStore; one handler serves one parse.
class SAX2_edaXmlStatusHandlers : public TraceHandler {
 public:
  using TraceHandler::TraceHandler;

  const StatusRecords& records() const { return records_; }

  void startDocument() override;
  void endDocument() override;
  void startElement(const XMLCh* uri, const XMLCh* localName, const XMLCh* qName,
                    const xercesc::Attributes& attrs) override;
  void endElement(const XMLCh* uri, const XMLCh* localName, const XMLCh* qName) override;

 private:
  void makeRecord(StatusKind kind, const xercesc::Attributes& attrs);
  variantBomOptionElement** variantListOwner();

  StatusRecords records_;
};

}  // namespace minixml
