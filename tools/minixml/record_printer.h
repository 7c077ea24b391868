// Readable listings of the minixml records, for support staff looking at a client's document.
#pragma once

#include <cstdio>

#include "ecadbridge/minixml.h"

namespace minixml_tool {

// The records the getters handed out after one parse.
struct Records {
  CCAElements* cca = nullptr;
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

// Reads every getter; call between minixml_parser_init and minixml_parser_close.
Records collectRecords();

// Writes the status records that are present; returns how many there were.
int printStatusRecords(const Records& records, std::FILE* out);
// Writes the CCA record with its variants and datasets; false when there is none.
bool printBomRecord(const CCAElements* cca, std::FILE* out);

}  // namespace minixml_tool
