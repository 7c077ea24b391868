// The text of a double-quoted XML attribute, written straight from UTF-8.
#pragma once

#include <string>

// Appends `value` (UTF-8) to `*out` as the content of a double-quoted attribute: '&', '<' and
// '"' as entity references, tab, line feed and carriage return as character references (so a
// reader's attribute normalisation keeps them), everything else as UTF-8. Ill-formed UTF-8
// becomes U+FFFD and the value ends at its first NUL, as the text conversion of the entry points
// does. Returns false, with `*out` unchanged, when the value holds a character that XML 1.0 cannot
// carry at all (a control character other than those three, U+FFFE, U+FFFF).
bool appendXmlAttributeText(const std::string& value, std::string* out);
