// Reading the text rows of a command's result.
#pragma once

#include <string>

#include "adapter/data_command.h"

// The value of the first pair named `column` (ignoring case); empty when the row has none.
std::u16string resultValue(const CDataCommand::ResultRow& row, const std::u16string& column);
// Decimal text to int: leading blanks and a sign allowed, 0 for anything else.
int resultInteger(const std::u16string& text);
