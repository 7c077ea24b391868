// Rows as one JSON text: the form in which a set of rows crosses to PostgreSQL as a single
// parameter, to be turned back into rows of the table's own column types there
// (json_populate_recordset), so that each value is read exactly as a quoted literal would be.
#pragma once

#include <string>
#include <utility>
#include <vector>

// [{"c1":"x1","c2":"x2"},...]: one object per row, its members the row's (column, value) pairs
// in order, the values as strings. A row may leave columns out.
using JsonRow = std::vector<std::pair<std::u16string, std::u16string>>;
std::u16string jsonRows(const std::vector<JsonRow>& rows);
