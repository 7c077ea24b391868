// metalink: moves part-library metadata between an ODBC data source and a library XML file from
// the command line, through libmetalink's exported functions.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "data_source.h"
#include "metalink/metalink.h"
#include "platform/files.h"
#include "platform/private_files.h"
#include "platform/terminal.h"
#include "platform/text.h"

namespace {

std::u16string wide(const std::string& text) { return platform::utf8ToUtf16(text); }
const metalink_char* c(const std::u16string& text) {
  return reinterpret_cast<const metalink_char*>(text.c_str());
}

void printProgress(void*, const char* phase, long long done, long long total) {
  const char* verb = std::string(phase) == "read" ? "read" : "written";
  if (total > 0) {
    std::fprintf(stderr, "\rrows %s: %lld of %lld", verb, done, total);
  } else {
    std::fprintf(stderr, "\rrows %s: %lld", verb, done);
  }
  std::fflush(stderr);
}

int printNames(metalink_char** names, int count) {
  for (int i = 0; i < count; ++i) {
    std::cout << platform::utf16ToUtf8(reinterpret_cast<const char16_t*>(names[i])) << '\n';
  }
  metalinkFreeNames(names, count);
  return count;
}

// File names reach the library as UTF-16 and come back as UTF-8: bytes that are not UTF-8 would
// come back as another name, so such a path is refused as a usage error.
const CLI::Validator kExactPath(
    [](std::string& path) {
      return platform::utf16ToUtf8(wide(path)) == path
                 ? std::string()
                 : "the path " + path + " is not valid UTF-8 and cannot be passed on exactly";
    },
    "PATH");

constexpr const char* kPasswordVariable = "METALINK_PASSWORD";

constexpr const char* kPasswordHelp =
    "Password: from --password-file FILE (its first line; the file must be readable by its owner\n"
    "only), else from the environment variable METALINK_PASSWORD, else from a prompt without echo\n"
    "when standard input is a terminal and --user is given. --password also works but shows the\n"
    "password to every user of the machine (process list, shell history).";

// One line per table: what the import would do to it.
void printPlan(const metalink_import_plan* plans, int count) {
  std::printf("%-24s %8s %8s %9s %14s %13s\n", "table", "insert", "update", "unchanged",
              "links replaced", "links written");
  for (int i = 0; i < count; ++i) {
    const metalink_import_plan& p = plans[i];
    std::string name = platform::utf16ToUtf8(reinterpret_cast<const char16_t*>(p.table));
    if (p.created) name += " (new)";
    std::printf("%-24s %8lld %8lld %9lld %14lld %13lld\n", name.c_str(), p.inserted, p.updated,
                p.unchanged, p.linksReplaced, p.linksWritten);
  }
  std::printf("Dry run: nothing was written.\n");
}

struct Connection {
  metalink_tool::DataSourceChoice source;
  std::string user;
  std::string password;
  std::string passwordFile;
  std::vector<CLI::Option*> passwordOptions;  // one per command
};

void addConnectionOptions(CLI::App* command, Connection* connection) {
  CLI::Option_group* source =
      command->add_option_group("data source", "exactly one of --dsn, --connect, --sqlite");
  source->add_option("-d,--dsn", connection->source.dsn, "ODBC data source name (odbc.ini)");
  source->add_option("-c,--connect", connection->source.connectionString,
                     "ODBC connection string, \"DRIVER=...;DATABASE=...\"");
  source->add_option("--sqlite", connection->source.sqliteFile,
                     "SQLite database file, created when missing (WAL journal)");
  source->require_option(1);
  command->add_option("-u,--user", connection->user, "user name");
  CLI::Option* file = command
                          ->add_option("--password-file", connection->passwordFile,
                                       "file that holds the password (mode 600)")
                          ->type_name("FILE");
  connection->passwordOptions.push_back(
      command
          ->add_option("-p,--password", connection->password,
                       "password (visible to other users: prefer the ways below)")
          ->excludes(file));
  command->footer(kPasswordHelp);
}

// Takes the password from the first place that has one (kPasswordHelp). False, with a message on
// standard error, when the password file is refused or the prompt got no answer.
bool resolvePassword(Connection* connection) {
  const auto given = [](const CLI::Option* option) { return option->count() > 0; };
  if (std::any_of(connection->passwordOptions.begin(), connection->passwordOptions.end(), given)) {
    std::cerr << "metalink: warning: --password can be seen by every user of this machine; use "
                 "--password-file or METALINK_PASSWORD\n";
    return true;
  }
  if (!connection->passwordFile.empty()) {
    std::string content, error;
    if (!platform::readSecretFile(connection->passwordFile, &content, &error)) {
      std::cerr << "metalink: the password file " << connection->passwordFile
                << " is refused: " << error << '\n';
      return false;
    }
    const size_t end = content.find('\n');
    connection->password = content.substr(0, end);
    if (!connection->password.empty() && connection->password.back() == '\r') {
      connection->password.pop_back();
    }
    return true;
  }
  if (platform::getEnv(kPasswordVariable, &connection->password)) return true;
  if (!connection->user.empty() && platform::isTerminal(platform::StandardStream::kInput)) {
    if (!platform::readHiddenLine("Password for " + connection->user + ": ",
                                  &connection->password)) {
      std::cerr << "metalink: no password was entered\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  platform::useUtf8Locale();
  CLI::App app{"Moves part-library metadata between an ODBC data source and a library XML file."};
  app.require_subcommand(1);
  app.footer(kPasswordHelp);
  app.set_version_flag("--version", "metalink " EDA_VERSION);
  app.set_help_all_flag("--help-all", "Print the help of every command");
  Connection connection;
  std::string library, syncMap, reference, logFile, table;
  int option = 3;

  CLI::App* check = app.add_subcommand("check", "Check that the data source can be opened");
  addConnectionOptions(check, &connection);

  CLI::App* exportCommand =
      app.add_subcommand("export", "Write the data source's library to a library file");
  addConnectionOptions(exportCommand, &connection);
  exportCommand->add_option("-s,--syncmap", syncMap, "mapping file (EDASyncMap.xml)")
      ->required()
      ->check(CLI::ExistingFile & kExactPath);
  exportCommand->add_option("-l,--library", library, "library file to write")
      ->required()
      ->check(kExactPath);
  exportCommand
      ->add_option("-o,--option", option,
                   "option bits: 1 required, 2 create attributes, 8 reference mode")
      ->capture_default_str();
  exportCommand
      ->add_option("-r,--reference", reference,
                   "reference library: only its items are read (sets option bit 8)")
      ->check(kExactPath);

  CLI::App* importCommand =
      app.add_subcommand("import", "Write a library file's objects into the data source");
  addConnectionOptions(importCommand, &connection);
  importCommand->add_option("-s,--syncmap", syncMap, "mapping file (EDASyncMap.xml)")
      ->required()
      ->check(CLI::ExistingFile & kExactPath);
  importCommand->add_option("-l,--library", library, "library file to read")
      ->required()
      ->check(CLI::ExistingFile & kExactPath);
  importCommand->add_option("--log", logFile, "log file for this import")->check(kExactPath);
  bool dryRun = false;
  importCommand->add_flag("-n,--dry-run", dryRun,
                          "only count per table what the import would insert, update and leave "
                          "alone, and the link rows it would replace; write nothing");

  CLI::App* sources = app.add_subcommand("sources", "List the ODBC data sources");
  CLI::App* tables = app.add_subcommand("tables", "List the tables of a data source");
  addConnectionOptions(tables, &connection);
  CLI::App* columns = app.add_subcommand("columns", "List the columns of a table");
  addConnectionOptions(columns, &connection);
  columns->add_option("-t,--table", table, "table name (an ODBC search pattern)")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help exits 0; every usage error exits 2, as command-line tools conventionally do.
    return app.exit(e) == 0 ? 0 : 2;
  }

  const bool needsPassword = !sources->parsed();
  if (needsPassword && !resolvePassword(&connection)) return 2;

  const bool terminal = platform::isTerminal(platform::StandardStream::kError);
  if (terminal) metalinkSetProgressHandler(printProgress, nullptr);
  std::string dataSource, error;
  connection.source.readOnly = dryRun;
  std::error_code ignored;
  if (dryRun && !connection.source.sqliteFile.empty() &&
      !std::filesystem::exists(connection.source.sqliteFile, ignored)) {
    std::cerr << "metalink: " << connection.source.sqliteFile
              << " does not exist; a dry run does not create it\n";
    return 1;
  }
  if (!sources->parsed() &&
      !metalink_tool::dataSourceText(connection.source, &dataSource, &error)) {
    std::cerr << "metalink: " << error << '\n';
    return 2;
  }
  const std::u16string dsn = wide(dataSource), user = wide(connection.user),
                       password = wide(connection.password);

  bool ok = true;
  std::string logPath;
  if (check->parsed()) {
    ok = checkDataSource(c(dsn), c(user), c(password)) == 1;
    std::cout << (ok ? "The data source can be opened.\n" : "The data source cannot be opened.\n");
  } else if (exportCommand->parsed()) {
    if (!reference.empty()) option |= 8;
    ok = exportMetadataDB(c(wide(library)), c(dsn), c(user), c(password), c(wide(syncMap)), option,
                          c(wide(reference))) == 1;
    if (terminal) std::fputc('\n', stderr);
    std::cout << (ok ? "Exported to " + library + "\n" : "The export failed.\n");
  } else if (importCommand->parsed() && dryRun) {
    metalink_import_plan* plans = nullptr;
    const int count = planImportMetadataDB(c(dsn), c(user), c(password), c(wide(syncMap)),
                                           c(wide(library)), &plans);
    ok = count >= 0;
    if (ok) printPlan(plans, count);
    metalinkFreeImportPlans(plans, count);
    if (!ok) std::cout << "The dry run failed.\n";
  } else if (importCommand->parsed()) {
    ok = importMetadataDB(c(dsn), c(user), c(password), c(wide(syncMap)), c(wide(library)),
                          c(wide(logFile))) == 1;
    if (terminal) std::fputc('\n', stderr);
    const long long failedRows = metalinkLastImportFailedRows();
    if (ok) {
      std::cout << "Imported " + library + "\n";
    } else if (failedRows > 0) {
      std::cout << "The import failed: " << failedRows << " row" << (failedRows == 1 ? "" : "s")
                << " could not be written.\n";
    } else {
      std::cout << "The import failed.\n";
    }
    logPath = logFile;
  } else {
    metalink_char** names = nullptr;
    int count = 0;
    if (sources->parsed()) {
      count = getDataSources(&names);
    } else if (tables->parsed()) {
      count = getTables(c(dsn), c(user), c(password), &names);
    } else {
      count = getColumns(c(dsn), c(user), c(password), c(wide(table)), &names);
    }
    printNames(names, count);
    // An empty list may be a failure: the log says so when it is.
    ok = true;
  }
  if (!ok) {
    if (logPath.empty()) logPath = metalinkLogFile();
    if (logPath.empty()) {
      std::cerr << "No log was written (see the warning above).\n";
    } else {
      std::cerr << "See the log file: " << logPath << '\n';
    }
    return 1;
  }
  return 0;
}
