// The results object of the minixml reader.
#pragma once

#include <cstdint>

#include "ecadbridge/minixml.h"

namespace minixml {

// What the last parses found. The record pointers are links into the RecordStore, not owners: a
// status parse replaces the ten status links (null for kinds the document lacked), a BOM parse the
// CCA link, a print parse none.
struct MinixmlParser {
  CCAElements* ccaElements = nullptr;
  EDAStatusElement* edaStatus = nullptr;
  EDAPreSaveStatusElement* edaPreSaveStatus = nullptr;
  EDASaveStatusElement* edaSaveStatus = nullptr;
  EDAPreSaveAsStatusElement* edaPreSaveAsStatus = nullptr;
  EDASaveAsStatusElement* edaSaveAsStatus = nullptr;
  EDACheckOutOrRefreshStatusElement* edaCheckOutOrRefreshStatus = nullptr;
  EDAGetStagingDirStatusElement* edaGetStagingDirStatus = nullptr;
  EDAReconcilePartsSelectStatusElement* edaReconcilePartsSelectStatus = nullptr;
  EDAPreCheckInStatusElement* edaPreCheckInStatus = nullptr;
  EDACancelCheckoutStatusElement* edaCancelCheckoutStatus = nullptr;
  // Errors the reader reported during the last parse.
  int32_t errorCount = 0;
};

}  // namespace minixml
