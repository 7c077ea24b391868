#include "data_source.h"

#ifndef EDA_SQLITE_ODBC_DRIVER
#error "EDA_SQLITE_ODBC_DRIVER must name the SQLite ODBC driver found at build time"
#endif

namespace metalink_tool {

bool sqliteConnectionString(const std::string& file, const std::string& driver, bool readOnly,
                            std::string* text, std::string* error) {
  if (file.empty()) {
    *error = "the SQLite database file name is empty";
    return false;
  }
  if (file.find(';') != std::string::npos) {
    *error = "the SQLite driver cannot open a file whose path contains ';': " + file;
    return false;
  }
  *text = "DRIVER=" + driver + ";Database=" + file + ";Timeout=10000";
  // NORMAL synchronisation is safe with WAL: a crash may lose the last commit, never the file.
  *text += readOnly ? ";NoCreat=1" : ";JournalMode=WAL;SyncPragma=NORMAL";
  return true;
}

bool dataSourceText(const DataSourceChoice& choice, std::string* text, std::string* error) {
  if (!choice.sqliteFile.empty()) {
    return sqliteConnectionString(choice.sqliteFile, EDA_SQLITE_ODBC_DRIVER, choice.readOnly, text,
                                  error);
  }
  if (!choice.connectionString.empty()) {
    if (choice.connectionString.find('=') == std::string::npos) {
      *error = "a connection string is a list of KEY=VALUE pairs: " + choice.connectionString;
      return false;
    }
    *text = choice.connectionString;
    return true;
  }
  if (choice.dsn.find('=') != std::string::npos) {
    *error = "a data source name cannot contain '=' (use --connect for a connection string)";
    return false;
  }
  *text = choice.dsn;
  return true;
}

}  // namespace metalink_tool
