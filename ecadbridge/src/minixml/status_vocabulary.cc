#include "minixml/status_vocabulary.h"

namespace minixml {
namespace {

struct ElementName {
  std::u16string_view name;
  StatusKind kind;
};

// Several operations of the Java client report in the same record shape.
constexpr ElementName kElements[] = {
    {u"EDAStatus", StatusKind::kStatus},
    {u"EDAOpenDataSetStatus", StatusKind::kStatus},
    {u"EDAPurgeCacheStatus", StatusKind::kStatus},
    {u"EDAGetItemInfoStatus", StatusKind::kStatus},
    {u"EDALogoutStatus", StatusKind::kStatus},
    {u"EDAGetPreferenceValuesStatus", StatusKind::kStatus},
    {u"EDASetPreferenceValuesStatus", StatusKind::kStatus},
    {u"EDAReconcilePartsStatus", StatusKind::kStatus},
    {u"EDAPreSaveStatus", StatusKind::kPreSave},
    {u"EDAPreSaveAsStatus", StatusKind::kPreSaveAs},
    {u"EDASaveStatus", StatusKind::kSave},
    {u"EDACheckInStatus", StatusKind::kSave},
    {u"EDASaveDerivedDataStatus", StatusKind::kSave},
    {u"EDASaveAsStatus", StatusKind::kSaveAs},
    {u"EDACheckOutStatus", StatusKind::kCheckOutOrRefresh},
    {u"EDARefreshStatus", StatusKind::kCheckOutOrRefresh},
    {u"EDAGetStagingDirStatus", StatusKind::kGetStagingDir},
    {u"EDAReconcilePartsSelectStatus", StatusKind::kReconcilePartsSelect},
    {u"EDAPreCheckInStatus", StatusKind::kPreCheckIn},
    {u"EDACancelCheckoutStatus", StatusKind::kCancelCheckout},
    {u"VariantBomOption", StatusKind::kVariantBomOption},
    {u"RelatedDSRefreshStatus", StatusKind::kRelatedDSRefreshStatus},
};

}  // namespace

std::optional<StatusKind> findStatusElement(std::u16string_view qualifiedName) {
  for (const ElementName& element : kElements) {
    if (element.name == qualifiedName) return element.kind;
  }
  return std::nullopt;
}

}  // namespace minixml
