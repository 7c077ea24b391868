// The measured operations: the connector's own import and export, called as an entry point calls
// them (one CODBCConOperation per call, configuration read from ODBCCon.ini in TEMP).
#pragma once

#include <string>

namespace transfer_bench {

struct TransferTarget {
  std::string dsn;
  std::string user;
  std::string password;
  std::string syncMap;  // path of the sync map
};

// The operation's result: 1 for success, 0 for failure (details in the connector's log).
int runImport(const TransferTarget& target, const std::string& libraryFile);
int runExport(const TransferTarget& target, const std::string& libraryFile, int option);

// Reports the rows done so far to stderr, at most every few seconds, so that a case stopped at
// the time limit still tells how far it came.
void installProgressReport();

}  // namespace transfer_bench
