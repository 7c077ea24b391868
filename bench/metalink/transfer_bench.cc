// Transfer benchmark: times the connector's import and export of generated part libraries
// against the database's own bulk load of the same rows, on SQLite and PostgreSQL.
//
// Each case runs in a process of its own, so that its peak memory (max RSS) is its own and a case
// can be stopped at a time limit; run_transfer_bench.sh starts the database server, runs every
// case and prints the closing table (the "report" command). A case prints one result line
// (transfer_bench_report.h) on stdout; progress and failures go to stderr.
//
//   transfer_bench generate --parts N --out LIB.xml
//   transfer_bench import CONNECTION --syncmap MAP --library LIB.xml
//   transfer_bench export CONNECTION --syncmap MAP --library OUT.xml [--option 3]
//   transfer_bench bulk   CONNECTION --staging DIR
//   transfer_bench report RESULTS    (result lines; NOTE lines are printed at the end)
// where CONNECTION is --driver LABEL --dsn DSN [--user U --password P] --parts N.
#include <sys/resource.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "library/eda_library.h"
#include "transfer_bench_bulk.h"
#include "transfer_bench_check.h"
#include "transfer_bench_library.h"
#include "transfer_bench_odbc.h"
#include "transfer_bench_report.h"
#include "transfer_bench_transfer.h"

namespace tb = transfer_bench;

namespace {

struct Options {
  std::string driver;
  std::string dsn;
  std::string user;
  std::string password;
  std::string syncMap;
  std::string library;
  std::string staging;
  std::string out;
  std::string results;
  int parts = 0;
  int option = 3;
};

long long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool connect(const Options& o, tb::BenchConnection* connection) {
  std::string error;
  if (connection->open(o.dsn, o.user, o.password, &error)) return true;
  std::cerr << error << "\n";
  return false;
}

// The rows of the three tables, by COUNT(*); -1 when a table cannot be read.
long long countRows(tb::BenchConnection* connection) {
  long long total = 0;
  for (const tb::TableShape& table : tb::benchTables()) {
    std::string error;
    const long long n =
        connection->queryNumber("SELECT COUNT(*) FROM " + tb::quoted(table.name), &error);
    if (n < 0) {
      std::cerr << error << "\n";
      return -1;
    }
    total += n;
  }
  return total;
}

tb::CaseResult newResult(const Options& o, const char* op) {
  tb::CaseResult r;
  r.op = op;
  r.driver = o.driver;
  r.parts = o.parts;
  return r;
}

int generate(const Options& o) {
  std::string error;
  if (tb::writeLibraryFile(o.parts, o.out, &error)) return 0;
  std::cerr << error << "\n";
  return 1;
}

int bulk(const Options& o) {
  tb::BenchConnection connection;
  if (!connect(o, &connection)) return 1;
  tb::CaseResult r = newResult(o, "bulk");
  std::string error;
  const auto start = std::chrono::steady_clock::now();
  const bool loaded = tb::bulkLoad(&connection, o.parts, o.staging, &error);
  r.seconds = secondsSince(start);
  r.peakKb = peakKilobytes();
  if (!loaded) {
    std::cerr << "bulk load failed: " << error << "\n";
    return 1;
  }
  r.check = tb::compareWithLibrary(&connection, o.parts, &r.rows);
  std::cout << tb::formatResultLine(r) << std::endl;
  return 0;
}

tb::TransferTarget targetOf(const Options& o) { return {o.dsn, o.user, o.password, o.syncMap}; }

// "import" into an empty database, "reimport" of the same library into the imported one (every
// row an update).
int importCase(const Options& o, const char* op) {
  tb::installProgressReport();
  tb::CaseResult r = newResult(o, op);
  const auto start = std::chrono::steady_clock::now();
  const int result = tb::runImport(targetOf(o), o.library);
  r.seconds = secondsSince(start);
  r.peakKb = peakKilobytes();
  if (result != 1) {
    std::cerr << "the import returned " << result << " (see ODBCCon.log in TEMP)\n";
    return 1;
  }
  tb::BenchConnection connection;
  if (!connect(o, &connection)) return 1;
  long long found = 0;
  r.check = tb::compareWithLibrary(&connection, o.parts, &found);
  // Rows per second count the rows the library makes, whatever else the import left behind.
  r.rows = tb::totalRowCount(o.parts);
  std::cout << tb::formatResultLine(r) << std::endl;
  return 0;
}

int exportCase(const Options& o) {
  tb::CaseResult r = newResult(o, "export");
  {
    tb::BenchConnection connection;
    if (!connect(o, &connection)) return 1;
    r.rows = countRows(&connection);
    if (r.rows != tb::totalRowCount(o.parts)) {
      std::cerr << "the database holds " << r.rows << " rows, not " << tb::totalRowCount(o.parts)
                << "\n";
    }
  }
  tb::installProgressReport();
  const auto start = std::chrono::steady_clock::now();
  const int result = tb::runExport(targetOf(o), o.library, o.option);
  r.seconds = secondsSince(start);
  r.peakKb = peakKilobytes();
  if (result != 1) {
    std::cerr << "the export returned " << result << " (see ODBCCon.log in TEMP)\n";
    return 1;
  }
  EDALibrary exported;
  if (!exported.load(o.library.c_str())) {
    std::cerr << exported.getLastError() << "\n";
    return 1;
  }
  const tb::LibrarySummary got = tb::summarize(exported);
  const tb::LibrarySummary want = tb::expectedSummary(o.parts);
  r.check = got == want ? "ok" : "got " + tb::describe(got) + " want " + tb::describe(want);
  std::cout << tb::formatResultLine(r) << std::endl;
  return 0;
}

int report(const Options& o) {
  std::ifstream in(o.results);
  if (!in) {
    std::cerr << "cannot read " << o.results << "\n";
    return 1;
  }
  std::vector<tb::CaseResult> results;
  std::vector<std::string> notes;
  for (std::string line; std::getline(in, line);) {
    tb::CaseResult r;
    if (tb::parseResultLine(line, &r)) results.push_back(r);
    if (line.rfind("NOTE ", 0) == 0) notes.push_back(line.substr(5));
  }
  std::cout << tb::formatReport(results);
  if (!notes.empty()) std::cout << "\nNotes:\n";
  for (const std::string& note : notes) std::cout << "- " << note << "\n";
  return 0;
}

void addConnectionOptions(CLI::App* command, Options* o) {
  command->add_option("--driver", o->driver, "label of the driver in the results")->required();
  command->add_option("--dsn", o->dsn, "ODBC data source name")->required();
  command->add_option("--user", o->user, "login user");
  command->add_option("--password", o->password, "login password");
  command->add_option("--parts", o->parts, "parts of the generated library")
      ->required()
      ->check(CLI::PositiveNumber);
}

}  // namespace

int main(int argc, char** argv) {
  // unixODBC converts the wide calls for ANSI-only drivers (the SQLite one) in the locale's
  // character set, as it does in the Java host.
  std::setlocale(LC_CTYPE, "C.UTF-8");
  Options o;
  CLI::App app{"Times the connector's import and export against the database's bulk load."};
  app.require_subcommand(1);

  CLI::App* generateCmd = app.add_subcommand("generate", "write a generated library file");
  generateCmd->add_option("--parts", o.parts, "parts")->required()->check(CLI::PositiveNumber);
  generateCmd->add_option("--out", o.out, "library file to write")->required();

  CLI::App* bulkCmd = app.add_subcommand("bulk", "bulk-load the rows into an empty database");
  addConnectionOptions(bulkCmd, &o);
  bulkCmd->add_option("--staging", o.staging, "directory for COPY files (server-readable)")
      ->required();

  CLI::App* importCmd = app.add_subcommand("import", "import a library file (timed)");
  addConnectionOptions(importCmd, &o);
  importCmd->add_option("--syncmap", o.syncMap, "sync map file")->required();
  importCmd->add_option("--library", o.library, "library file to import")->required();

  CLI::App* reimportCmd = app.add_subcommand(
      "reimport", "import the same library again into the imported database (timed)");
  addConnectionOptions(reimportCmd, &o);
  reimportCmd->add_option("--syncmap", o.syncMap, "sync map file")->required();
  reimportCmd->add_option("--library", o.library, "library file to import")->required();

  CLI::App* exportCmd = app.add_subcommand("export", "export the database (timed)");
  addConnectionOptions(exportCmd, &o);
  exportCmd->add_option("--syncmap", o.syncMap, "sync map file")->required();
  exportCmd->add_option("--library", o.library, "library file to write")->required();
  exportCmd->add_option("--option", o.option, "transfer option (default 3: full, attributes)");

  CLI::App* reportCmd = app.add_subcommand("report", "print the table of a results file");
  reportCmd->add_option("results", o.results, "file of result lines")->required();

  CLI11_PARSE(app, argc, argv);
  if (*generateCmd) return generate(o);
  if (*bulkCmd) return bulk(o);
  if (*importCmd) return importCase(o, "import");
  if (*reimportCmd) return importCase(o, "reimport");
  if (*exportCmd) return exportCase(o);
  return report(o);
}
