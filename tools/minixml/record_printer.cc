#include "record_printer.h"

#include <initializer_list>
#include <type_traits>
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

#define MINIXML_TOOL_FIELD(record, name) {#name, (record)->name},

// The lists that hang off some status records.
void printChildren(std::FILE* out, const variantBomOptionElement* node) {
  if (node == nullptr) {
    std::fprintf(out, "  variant options: none\n");
    return;
  }
  std::fprintf(out, "  variant options (last in the document first):\n");
  for (int n = 1; node != nullptr; node = node->next, ++n) {
    std::fprintf(out, "    [%d]\n", n);
    printFields(out, 6, {MINIXML_FIELDS_variantBomOptionElement(MINIXML_TOOL_FIELD, node)});
  }
}

void printChildren(std::FILE* out, const relatedDSRefreshStatusElement* node) {
  if (node == nullptr) {
    std::fprintf(out, "  related datasets: none\n");
    return;
  }
  std::fprintf(out, "  related datasets (last in the document first):\n");
  for (int n = 1; node != nullptr; node = node->next, ++n) {
    std::fprintf(out, "    [%d]\n", n);
    printFields(out, 6, {MINIXML_FIELDS_relatedDSRefreshStatusElement(MINIXML_TOOL_FIELD, node)});
  }
}

template <typename Record, typename = void>
struct HasVariantOptions : std::false_type {};
template <typename Record>
struct HasVariantOptions<Record, std::void_t<decltype(&Record::variantBomOptions)>>
    : std::true_type {};
template <typename Record, typename = void>
struct HasRelatedDatasets : std::false_type {};
template <typename Record>
struct HasRelatedDatasets<Record, std::void_t<decltype(&Record::relatedDatasets)>>
    : std::true_type {};

template <typename Record>
void printChildrenOf(std::FILE* out, const Record* record) {
  if constexpr (HasVariantOptions<Record>::value) printChildren(out, record->variantBomOptions);
  if constexpr (HasRelatedDatasets<Record>::value) printChildren(out, record->relatedDatasets);
}

}  // namespace

Records collectRecords() {
  Records r;
  r.cca = static_cast<CCAElements*>(minixml_parser_getCCAElements(nullptr));
// NOLINTNEXTLINE(bugprone-macro-parentheses): Record is pasted into a name and a type.
#define MINIXML_TOOL_COLLECT(Record, getter) r.Record##_ = static_cast<Record*>((getter)(nullptr));
  MINIXML_STATUS_RECORDS(MINIXML_TOOL_COLLECT)
#undef MINIXML_TOOL_COLLECT
  return r;
}

int printStatusRecords(const Records& r, std::FILE* out) {
  int count = 0;
#define MINIXML_TOOL_PRINT(Record, getter)                                 \
  if (const Record* e = r.Record##_) {                                     \
    std::fprintf(out, #Record "\n");                                       \
    printFields(out, 2, {MINIXML_FIELDS_##Record(MINIXML_TOOL_FIELD, e)}); \
    printChildrenOf(out, e);                                               \
    ++count;                                                               \
  }
  MINIXML_STATUS_RECORDS(MINIXML_TOOL_PRINT)
#undef MINIXML_TOOL_PRINT
  return count;
}

bool printBomRecord(const CCAElements* cca, std::FILE* out) {
  if (cca == nullptr) return false;
  std::fprintf(out, "CCAElements\n");
  printFields(out, 2, {MINIXML_FIELDS_CCAElements(MINIXML_TOOL_FIELD, cca)});
  int n = 0;
  for (const ccaVariantElement* v = cca->variants; v != nullptr; v = v->next) {
    std::fprintf(out, "  variant [%d]\n", ++n);
    printFields(out, 4, {MINIXML_FIELDS_ccaVariantElement(MINIXML_TOOL_FIELD, v)});
  }
  if (n == 0) std::fprintf(out, "  variants: none\n");
  n = 0;
  for (const datasetElement* d = cca->datasets; d != nullptr; d = d->next) {
    std::fprintf(out, "  dataset [%d]\n", ++n);
    printFields(out, 4, {MINIXML_FIELDS_datasetElement(MINIXML_TOOL_FIELD, d)});
  }
  if (n == 0) std::fprintf(out, "  datasets: none\n");
  return true;
}

}  // namespace minixml_tool
