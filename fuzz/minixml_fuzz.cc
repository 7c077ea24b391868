// libFuzzer target: any bytes as a document, read in each mode through the exported functions.
// Records are walked to the end so that the sanitizers see every text the reader produced.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "ecadbridge/minixml.h"
#include "fuzz_input.h"

namespace {

std::string gDocument;
std::string gErrors;
volatile size_t gSink;

void touch(const char* text) {
  if (text != nullptr) gSink = gSink + std::strlen(text);
}

template <typename Record>
void touchAll(const Record* record, size_t texts) {
  if (record == nullptr) return;
  auto* fields = reinterpret_cast<char* const*>(record);
  for (size_t i = 0; i < texts; ++i) touch(fields[i]);
}

void touchVariants(const variantBomOptionElement* node) {
  for (; node != nullptr; node = node->next) touchAll(node, 2);
}

void touchRecords() {
  if (auto* cca = static_cast<CCAElements*>(minixml_parser_getCCAElements(nullptr))) {
    touchAll(cca, 4);
    for (auto* v = cca->variants; v != nullptr; v = v->next) touchAll(v, 5);
    for (auto* d = cca->datasets; d != nullptr; d = d->next) touchAll(d, 8);
  }
  touchAll(static_cast<EDAStatusElement*>(minixml_parser_getEDAStatus(nullptr)), 2);
  if (auto* r =
          static_cast<EDAPreSaveStatusElement*>(minixml_parser_getEDAPreSaveStatus(nullptr))) {
    touchAll(r, 8);
    touchVariants(r->variantBomOptions);
  }
  touchAll(static_cast<EDASaveStatusElement*>(minixml_parser_getEDASaveStatus(nullptr)), 3);
  if (auto* r =
          static_cast<EDAPreSaveAsStatusElement*>(minixml_parser_getEDAPreSaveAsStatus(nullptr))) {
    touchAll(r, 14);
    touchVariants(r->variantBomOptions);
  }
  touchAll(static_cast<EDASaveAsStatusElement*>(minixml_parser_getEDASaveAsStatus(nullptr)), 6);
  if (auto* r = static_cast<EDACheckOutOrRefreshStatusElement*>(
          minixml_parser_getEDACheckOutOrRefreshStatus(nullptr))) {
    touchAll(r, 4);
    for (auto* d = r->relatedDatasets; d != nullptr; d = d->next) touchAll(d, 5);
  }
  touchAll(static_cast<EDAGetStagingDirStatusElement*>(
               minixml_parser_getEDAGetStagingDirStatus(nullptr)),
           3);
  if (auto* r = static_cast<EDAReconcilePartsSelectStatusElement*>(
          minixml_parser_getEDAReconcilePartsSelectStatus(nullptr))) {
    touchAll(r, 3);
    touchVariants(r->variantBomOptions);
  }
  if (auto* r = static_cast<EDAPreCheckInStatusElement*>(
          minixml_parser_getEDAPreCheckInStatus(nullptr))) {
    touchAll(r, 9);
    touchVariants(r->variantBomOptions);
  }
  touchAll(static_cast<EDACancelCheckoutStatusElement*>(
               minixml_parser_getEDACancelCheckoutStatus(nullptr)),
           3);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::string dir = fuzz::scratchDirectory("minixml_fuzz");
  gDocument = dir + "/input.xml";
  gErrors = dir + "/errors.txt";
  // The log only grows; the error file is truncated by every parse and holds the last trace.
  if (minixml_parser_init("/dev/null") != 0) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::writeInput(gDocument, data, size);
  for (const char* mode : {"Status", "Bom", "Print"}) {
    minixml_parser_parse(gDocument.c_str(), mode, gErrors.c_str());
    touchRecords();
  }
  minixml_parser_test(gDocument.c_str(), gErrors.c_str());
  return 0;
}
