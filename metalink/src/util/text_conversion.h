// Conversion between the wide (UTF-16) strings of the entry points, ODBC and the data set, and
// the 8-bit (UTF-8) strings of paths, the XML side and the log. Only the edges convert.
#pragma once

#include <string>

// Converts the whole string; the result ends at the first NUL the conversion produced.
// Invalid input becomes U+FFFD.
std::u16string toWide(const std::string& utf8);
std::string toUtf8(const std::u16string& wide);

// The exact conversion for a path: false when the path holds an unpaired surrogate or a NUL,
// which would otherwise name another file than the caller meant. `*reason` then says which.
bool toUtf8Path(const std::u16string& wide, std::string* utf8, std::string* reason);
