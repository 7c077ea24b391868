#include "record_printer.h"

#include <initializer_list>
#include <utility>

namespace minixml_tool {
namespace {

using Field = std::pair<const char*, const char*>;

// An absent attribute is shown as such, so it cannot be mistaken for an empty one.
void printFields(std::FILE* out, int indent, std::initializer_list<Field> fields) {
  for (const Field& field : fields) {
    if (field.second != nullptr) {
      std::fprintf(out, "%*s%s = \"%s\"\n", indent, "", field.first, field.second);
    } else {
      std::fprintf(out, "%*s%s (absent)\n", indent, "", field.first);
    }
  }
}

void printVariantOptions(std::FILE* out, const variantBomOptionElement* node) {
  if (node == nullptr) {
    std::fprintf(out, "  variant options: none\n");
    return;
  }
  std::fprintf(out, "  variant options (last in the document first):\n");
  for (int n = 1; node != nullptr; node = node->next, ++n) {
    std::fprintf(out, "    [%d]\n", n);
    printFields(out, 6, {{"variantName", node->variantName}, {"BOMOption", node->BOMOption}});
  }
}

void printRelatedDatasets(std::FILE* out, const relatedDSRefreshStatusElement* node) {
  if (node == nullptr) {
    std::fprintf(out, "  related datasets: none\n");
    return;
  }
  std::fprintf(out, "  related datasets (last in the document first):\n");
  for (int n = 1; node != nullptr; node = node->next, ++n) {
    std::fprintf(out, "    [%d]\n", n);
    printFields(out, 6,
                {{"datasetType", node->datasetType},
                 {"UID", node->UID},
                 {"refreshed", node->refreshed},
                 {"name", node->name},
                 {"sub", node->sub}});
  }
}

}  // namespace

Records collectRecords() {
  Records r;
  r.cca = static_cast<CCAElements*>(minixml_parser_getCCAElements(nullptr));
  r.status = static_cast<EDAStatusElement*>(minixml_parser_getEDAStatus(nullptr));
  r.preSave = static_cast<EDAPreSaveStatusElement*>(minixml_parser_getEDAPreSaveStatus(nullptr));
  r.save = static_cast<EDASaveStatusElement*>(minixml_parser_getEDASaveStatus(nullptr));
  r.preSaveAs =
      static_cast<EDAPreSaveAsStatusElement*>(minixml_parser_getEDAPreSaveAsStatus(nullptr));
  r.saveAs = static_cast<EDASaveAsStatusElement*>(minixml_parser_getEDASaveAsStatus(nullptr));
  r.checkOutOrRefresh = static_cast<EDACheckOutOrRefreshStatusElement*>(
      minixml_parser_getEDACheckOutOrRefreshStatus(nullptr));
  r.getStagingDir = static_cast<EDAGetStagingDirStatusElement*>(
      minixml_parser_getEDAGetStagingDirStatus(nullptr));
  r.reconcilePartsSelect = static_cast<EDAReconcilePartsSelectStatusElement*>(
      minixml_parser_getEDAReconcilePartsSelectStatus(nullptr));
  r.preCheckIn =
      static_cast<EDAPreCheckInStatusElement*>(minixml_parser_getEDAPreCheckInStatus(nullptr));
  r.cancelCheckout = static_cast<EDACancelCheckoutStatusElement*>(
      minixml_parser_getEDACancelCheckoutStatus(nullptr));
  return r;
}

int printStatusRecords(const Records& r, std::FILE* out) {
  int count = 0;
  if (const auto* e = r.status) {
    std::fprintf(out, "EDAStatusElement\n");
    printFields(out, 2, {{"status", e->status}, {"message", e->message}});
    ++count;
  }
  if (const auto* e = r.preSave) {
    std::fprintf(out, "EDAPreSaveStatusElement\n");
    printFields(out, 2,
                {{"status", e->status},
                 {"message", e->message},
                 {"BOMOption", e->BOMOption},
                 {"viewableOption", e->viewableOption},
                 {"datasetMappedAttrNames", e->datasetMappedAttrNames},
                 {"rdnMappedAttrNames", e->rdnMappedAttrNames},
                 {"nonVariantToVariantConversion", e->nonVariantToVariantConversion},
                 {"itemId", e->itemId}});
    printVariantOptions(out, e->variantBomOptions);
    ++count;
  }
  if (const auto* e = r.save) {
    std::fprintf(out, "EDASaveStatusElement\n");
    printFields(out, 2, {{"status", e->status}, {"message", e->message}, {"UID", e->UID}});
    ++count;
  }
  if (const auto* e = r.preSaveAs) {
    std::fprintf(out, "EDAPreSaveAsStatusElement\n");
    printFields(out, 2,
                {{"status", e->status},
                 {"message", e->message},
                 {"itemId", e->itemId},
                 {"itemName", e->itemName},
                 {"viewableOption", e->viewableOption},
                 {"saveAsVariant", e->saveAsVariant},
                 {"BOMOption", e->BOMOption},
                 {"datasetMappedAttrNames", e->datasetMappedAttrNames},
                 {"rdnMappedAttrNames", e->rdnMappedAttrNames},
                 {"designFolder", e->designFolder},
                 {"saveAsCopy", e->saveAsCopy},
                 {"nonVariantToVariantConversion", e->nonVariantToVariantConversion},
                 {"checkIn", e->checkIn},
                 {"doNotKeep", e->doNotKeep}});
    printVariantOptions(out, e->variantBomOptions);
    ++count;
  }
  if (const auto* e = r.saveAs) {
    std::fprintf(out, "EDASaveAsStatusElement\n");
    printFields(out, 2,
                {{"status", e->status},
                 {"message", e->message},
                 {"UID", e->UID},
                 {"saveAsCopy", e->saveAsCopy},
                 {"checkIn", e->checkIn},
                 {"nonVariantToVariantConversion", e->nonVariantToVariantConversion}});
    ++count;
  }
  if (const auto* e = r.checkOutOrRefresh) {
    std::fprintf(out, "EDACheckOutOrRefreshStatusElement\n");
    printFields(out, 2,
                {{"status", e->status},
                 {"message", e->message},
                 {"refreshed", e->refreshed},
                 {"primaryDsUID", e->primaryDsUID}});
    printRelatedDatasets(out, e->relatedDatasets);
    ++count;
  }
  if (const auto* e = r.getStagingDir) {
    std::fprintf(out, "EDAGetStagingDirStatusElement\n");
    printFields(out, 2,
                {{"status", e->status}, {"message", e->message}, {"stagingDir", e->stagingDir}});
    ++count;
  }
  if (const auto* e = r.reconcilePartsSelect) {
    std::fprintf(out, "EDAReconcilePartsSelectStatusElement\n");
    printFields(out, 2,
                {{"status", e->status}, {"message", e->message}, {"BOMOption", e->BOMOption}});
    printVariantOptions(out, e->variantBomOptions);
    ++count;
  }
  if (const auto* e = r.preCheckIn) {
    std::fprintf(out, "EDAPreCheckInStatusElement\n");
    printFields(out, 2,
                {{"status", e->status},
                 {"message", e->message},
                 {"BOMOption", e->BOMOption},
                 {"viewableOption", e->viewableOption},
                 {"datasetMappedAttrNames", e->datasetMappedAttrNames},
                 {"rdnMappedAttrNames", e->rdnMappedAttrNames},
                 {"nonVariantToVariantConversion", e->nonVariantToVariantConversion},
                 {"itemId", e->itemId},
                 {"doNotKeep", e->doNotKeep}});
    printVariantOptions(out, e->variantBomOptions);
    ++count;
  }
  if (const auto* e = r.cancelCheckout) {
    std::fprintf(out, "EDACancelCheckoutStatusElement\n");
    printFields(out, 2,
                {{"status", e->status}, {"message", e->message}, {"doNotKeep", e->doNotKeep}});
    ++count;
  }
  return count;
}

bool printBomRecord(const CCAElements* cca, std::FILE* out) {
  if (cca == nullptr) return false;
  std::fprintf(out, "CCAElements\n");
  printFields(
      out, 2,
      {{"name", cca->name}, {"itemId", cca->itemId}, {"revId", cca->revId}, {"bom", cca->bom}});
  int n = 0;
  for (const ccaVariantElement* v = cca->variants; v != nullptr; v = v->next) {
    std::fprintf(out, "  variant [%d]\n", ++n);
    printFields(out, 4,
                {{"variantName", v->variantName},
                 {"itemName", v->itemName},
                 {"itemId", v->itemId},
                 {"revId", v->revId},
                 {"bom", v->bom}});
  }
  if (n == 0) std::fprintf(out, "  variants: none\n");
  n = 0;
  for (const datasetElement* d = cca->datasets; d != nullptr; d = d->next) {
    std::fprintf(out, "  dataset [%d]\n", ++n);
    printFields(out, 4,
                {{"type", d->type},
                 {"UID", d->UID},
                 {"src", d->src},
                 {"checkedOut", d->checkedOut},
                 {"nonLatest", d->nonLatest},
                 {"version", d->version},
                 {"sub", d->sub},
                 {"name", d->name}});
  }
  if (n == 0) std::fprintf(out, "  datasets: none\n");
  return true;
}

}  // namespace minixml_tool
