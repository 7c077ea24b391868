// How one database cell carries more than one text.
#pragma once

#include <string>
#include <string_view>

namespace cell_text {

// Joins the parts of one attribute: value + unit, and table + identity value + "Reference" for a
// reference to another row. A character reference, so that a comma inside a part survives.
inline constexpr char16_t kPartSeparator[] = u"&#44;";
inline constexpr char kPartSeparatorUtf8[] = "&#44;";
// Joins the values of a multi-valued column.
inline constexpr char16_t kValueSeparator[] = u"&#59;";
// The last part of a reference cell.
inline constexpr char16_t kReferenceMark[] = u"Reference";

// The cell that refers to the row of `table` whose identity is `identity`.
inline std::u16string referenceCell(std::u16string_view table, std::u16string_view identity) {
  std::u16string cell(table);
  cell.append(kPartSeparator).append(identity).append(kPartSeparator).append(kReferenceMark);
  return cell;
}

}  // namespace cell_text
