// How the metalink tool names its database to libmetalink: a data source name from odbc.ini, an
// ODBC connection string, or a SQLite file reached through the SQLite ODBC driver with no
// odbc.ini at all. libmetalink takes a name that contains '=' as a connection string.
#pragma once

#include <string>

namespace metalink_tool {

struct DataSourceChoice {
  std::string dsn;               // --dsn
  std::string connectionString;  // --connect
  std::string sqliteFile;        // --sqlite
  bool readOnly = false;         // a dry run: the SQLite file is neither created nor changed
};

// The connection string for a SQLite database file: the driver `driver` (a library path or the
// name it is registered under), the journal in WAL mode so that a process that dies leaves the
// file consistent and readers may look in while a transfer writes, and a busy wait instead of an
// immediate "database is locked". Read-only, the file must exist and its journal mode is left as
// it is (switching it writes to the file). False with *error when the path cannot be written
// into a connection string (the SQLite driver reads a ';' as the end of the value, whatever
// quoting).
bool sqliteConnectionString(const std::string& file, const std::string& driver, bool readOnly,
                            std::string* text, std::string* error);

// The text handed to libmetalink as the data source for the one choice that is set.
bool dataSourceText(const DataSourceChoice& choice, std::string* text, std::string* error);

}  // namespace metalink_tool
