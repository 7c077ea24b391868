// What a case left in the database, compared with the generated library's rows by content: the
// parts by part number, the datasheets by name, and the reference cells and link rows by the rows
// they name rather than by identity values, which depend on the order the rows were written in.
#pragma once

#include <string>

namespace transfer_bench {

class BenchConnection;

// "ok" when the three tables hold exactly the rows of a library of `parts` parts; otherwise the
// first difference found. *rowsFound receives the number of rows read.
std::string compareWithLibrary(BenchConnection* connection, int parts, long long* rowsFound);

}  // namespace transfer_bench
