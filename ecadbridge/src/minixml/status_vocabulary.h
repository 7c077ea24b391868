// The element names of status documents and the record kind each one makes.
#pragma once

#include <optional>
#include <string_view>

namespace minixml {

enum class StatusKind {
  kStatus,
  kPreSave,
  kSave,
  kPreSaveAs,
  kSaveAs,
  kCheckOutOrRefresh,
  kGetStagingDir,
  kReconcilePartsSelect,
  kPreCheckIn,
  kCancelCheckout,
  kVariantBomOption,
  kRelatedDSRefreshStatus,
};

// The kind of an element's qualified name (exact, case-sensitive); empty for any other name.
std::optional<StatusKind> findStatusElement(std::u16string_view qualifiedName);

}  // namespace minixml
