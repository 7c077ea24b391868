// Comparisons on wide (UTF-16) text.
#pragma once

#include <string>
#include <string_view>

// Folds one code unit to lower case: ASCII and the Latin-1 letters (the letters of the part
// names and column names met in practice); other code units compare exactly.
char16_t foldCase(char16_t c);

// Equality ignoring case, code unit by code unit.
bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b);
