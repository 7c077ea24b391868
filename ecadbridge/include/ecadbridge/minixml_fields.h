/* The text fields of every minixml record, in struct order, and the status records with their
 * getters, as X-macro lists: the reader fills the fields from these lists and tools print them from
 * the same lists, so a new field is named in one place (and in its struct in minixml.h).
 *
 * MINIXML_FIELDS_<Record>(F, R) expands F(R, field) for each text field of <Record>.
 * MINIXML_STATUS_RECORDS(X) expands X(Record, getter) for each status record, in the order the
 * getters are declared. */
#ifndef ECADBRIDGE_MINIXML_FIELDS_H_
#define ECADBRIDGE_MINIXML_FIELDS_H_

#include "ecadbridge/minixml.h"

/* One entry per line: a new field is one new line. */
/* clang-format off */
#define MINIXML_FIELDS_datasetElement(F, R) \
  F(R, type) \
  F(R, UID) \
  F(R, src) \
  F(R, checkedOut) \
  F(R, nonLatest) \
  F(R, version) \
  F(R, sub) \
  F(R, name)

#define MINIXML_FIELDS_ccaVariantElement(F, R) \
  F(R, variantName) \
  F(R, itemName) \
  F(R, itemId) \
  F(R, revId) \
  F(R, bom)

#define MINIXML_FIELDS_CCAElements(F, R) \
  F(R, name) \
  F(R, itemId) \
  F(R, revId) \
  F(R, bom)

#define MINIXML_FIELDS_variantBomOptionElement(F, R) \
  F(R, variantName) \
  F(R, BOMOption)

#define MINIXML_FIELDS_relatedDSRefreshStatusElement(F, R) \
  F(R, datasetType) \
  F(R, UID) \
  F(R, refreshed) \
  F(R, name) \
  F(R, sub)

#define MINIXML_FIELDS_EDAStatusElement(F, R) \
  F(R, status) \
  F(R, message)

#define MINIXML_FIELDS_EDAPreSaveStatusElement(F, R) \
  F(R, status) \
  F(R, message) \
  F(R, BOMOption) \
  F(R, viewableOption) \
  F(R, datasetMappedAttrNames) \
  F(R, rdnMappedAttrNames) \
  F(R, nonVariantToVariantConversion) \
  F(R, itemId)

#define MINIXML_FIELDS_EDASaveStatusElement(F, R) \
  F(R, status) \
  F(R, message) \
  F(R, UID)

#define MINIXML_FIELDS_EDAPreSaveAsStatusElement(F, R) \
  F(R, status) \
  F(R, message) \
  F(R, itemId) \
  F(R, itemName) \
  F(R, viewableOption) \
  F(R, saveAsVariant) \
  F(R, BOMOption) \
  F(R, datasetMappedAttrNames) \
  F(R, rdnMappedAttrNames) \
  F(R, designFolder) \
  F(R, saveAsCopy) \
  F(R, nonVariantToVariantConversion) \
  F(R, checkIn) \
  F(R, doNotKeep)

#define MINIXML_FIELDS_EDASaveAsStatusElement(F, R) \
  F(R, status) \
  F(R, message) \
  F(R, UID) \
  F(R, saveAsCopy) \
  F(R, checkIn) \
  F(R, nonVariantToVariantConversion)

#define MINIXML_FIELDS_EDACheckOutOrRefreshStatusElement(F, R) \
  F(R, status) \
  F(R, message) \
  F(R, refreshed) \
  F(R, primaryDsUID)

#define MINIXML_FIELDS_EDAGetStagingDirStatusElement(F, R) \
  F(R, status) \
  F(R, message) \
  F(R, stagingDir)

#define MINIXML_FIELDS_EDAReconcilePartsSelectStatusElement(F, R) \
  F(R, status) \
  F(R, message) \
  F(R, BOMOption)

#define MINIXML_FIELDS_EDAPreCheckInStatusElement(F, R) \
  F(R, status) \
  F(R, message) \
  F(R, BOMOption) \
  F(R, viewableOption) \
  F(R, datasetMappedAttrNames) \
  F(R, rdnMappedAttrNames) \
  F(R, nonVariantToVariantConversion) \
  F(R, itemId) \
  F(R, doNotKeep)

#define MINIXML_FIELDS_EDACancelCheckoutStatusElement(F, R) \
  F(R, status) \
  F(R, message) \
  F(R, doNotKeep)

#define MINIXML_STATUS_RECORDS(X) \
  X(EDAStatusElement, minixml_parser_getEDAStatus) \
  X(EDAPreSaveStatusElement, minixml_parser_getEDAPreSaveStatus) \
  X(EDASaveStatusElement, minixml_parser_getEDASaveStatus) \
  X(EDAPreSaveAsStatusElement, minixml_parser_getEDAPreSaveAsStatus) \
  X(EDASaveAsStatusElement, minixml_parser_getEDASaveAsStatus) \
  X(EDACheckOutOrRefreshStatusElement, minixml_parser_getEDACheckOutOrRefreshStatus) \
  X(EDAGetStagingDirStatusElement, minixml_parser_getEDAGetStagingDirStatus) \
  X(EDAReconcilePartsSelectStatusElement, minixml_parser_getEDAReconcilePartsSelectStatus) \
  X(EDAPreCheckInStatusElement, minixml_parser_getEDAPreCheckInStatus) \
  X(EDACancelCheckoutStatusElement, minixml_parser_getEDACancelCheckoutStatus)

/* clang-format on */

#endif /* ECADBRIDGE_MINIXML_FIELDS_H_ */
