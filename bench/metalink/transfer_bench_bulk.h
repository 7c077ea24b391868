// The database's own bulk load of the rows an import of a generated library leaves behind: the
// baseline the import and the export are compared with. Both ways create the three tables
// (identity column and text columns, no index, as the import creates them) and load every row in
// one transaction:
// - SQLite: one prepared INSERT per table, executed once per row;
// - PostgreSQL: the rows written as CSV files into a staging directory, then one
//   COPY ... FROM 'file' per table. The server reads the files itself, so it must run on this
//   machine and the login role must be a superuser or a member of pg_read_server_files (the
//   benchmark's own server logs in as its superuser).
#pragma once

#include <string>

namespace transfer_bench {

class BenchConnection;

// Loads the rows of a library of `parts` parts into the empty database behind `connection`.
// `stagingDir` holds the CSV files of the PostgreSQL way; the server must be able to read it.
bool bulkLoad(BenchConnection* connection, int parts, const std::string& stagingDir,
              std::string* error);

// Quotes a value for CSV: between double quotes, each double quote doubled.
std::string csvField(const std::string& value);

}  // namespace transfer_bench
