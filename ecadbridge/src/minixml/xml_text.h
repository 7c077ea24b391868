// Conversions between the XML reader's UTF-16 texts and the 8-bit texts of records and output.
#pragma once

#include <string>
#include <string_view>
#include <xercesc/util/XercesDefs.hpp>

namespace minixml {

// A view of a NUL-terminated reader text; empty for null.
std::u16string_view xmlView(const XMLCh* text);

// The UTF-8 form of a reader text; empty for null.
std::string toUtf8(const XMLCh* text);

}  // namespace minixml
