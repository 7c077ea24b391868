// The result lines of the transfer benchmark's cases and the closing table made of them.
//
// Every case prints one line, e.g.
//   RESULT op=import driver=sqlite parts=1000 rows=1200 seconds=1.5 peak_kb=20480 check=ok
// and the runner adds a line of kind STOPPED (killed at the time limit; seconds = the limit),
// SKIPPED (not run because a smaller size of the same case already hit the limit) or FAILED.
// check= comes last and takes the rest of the line.
#pragma once

#include <string>
#include <vector>

namespace transfer_bench {

struct CaseResult {
  std::string kind = "RESULT";  // RESULT, STOPPED, SKIPPED or FAILED
  std::string op;               // import, export or bulk
  std::string driver;           // sqlite or postgres
  int parts = 0;
  long long rows = 0;
  double seconds = 0;
  long long peakKb = 0;
  std::string check = "ok";  // "ok", or what the database or file held instead
};

std::string formatResultLine(const CaseResult& result);
// False for a line that is no result line (other output of the runner).
bool parseResultLine(const std::string& line, CaseResult* result);

// The closing note: per driver and size the rows per second of import, export and bulk load,
// their ratio to the bulk load and the peak memory; then how each case's time grows with size.
std::string formatReport(const std::vector<CaseResult>& results);

}  // namespace transfer_bench
