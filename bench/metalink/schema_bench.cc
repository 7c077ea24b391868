// Schema check benchmark: times the import's integrity check of a generated map of many tables,
// once on a database without them and once more when they all exist, and the structure read
// (fill) that follows it in an import.
//
//   schema_bench --dsn DSN_OR_CONNECTION_STRING [--user U --password P]
//                [--tables 5000] [--columns 20]
//
// The database should not hold the generated tables (T00000 ... ) yet. One line per step on
// stdout; failures go to stderr and make the exit status 1.
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "adapter/odbc_adapter.h"
#include "adapter/odbc_command.h"
#include "dataset/data_set.h"
#include "platform/text.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

CODBCAdapter::MappedColumns generatedMap(int tables, int columns) {
  CODBCAdapter::MappedColumns map;
  for (int t = 0; t < tables; ++t) {
    char name[16];
    std::snprintf(name, sizeof name, "T%05d", t);
    std::vector<std::u16string> names;
    for (int c = 0; c < columns; ++c) {
      names.push_back(platform::utf8ToUtf16("Column" + std::to_string(c)));
    }
    map.emplace_back(platform::utf8ToUtf16(name), std::move(names));
  }
  return map;
}

// One check in the import's transaction, as the import runs it; false when it failed.
bool timedCheck(CODBCAdapter* adapter, const CODBCAdapter::MappedColumns& map,
                const CODBCAdapter::MappedColumns& lookups, const char* label) {
  const auto start = std::chrono::steady_clock::now();
  const bool ok =
      adapter->beginImport() && adapter->ensureSchema(map, lookups) && adapter->endImport(true);
  if (!ok) {
    adapter->endImport(false);
    std::fprintf(stderr, "the check on %s failed (see the log)\n", label);
    return false;
  }
  std::printf("check, %-16s %8.2f s\n", label, secondsSince(start));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dsn, user, password;
  int tables = 5000, columns = 20;
  CLI::App app("Times the import's schema check of a generated map of many tables");
  app.add_option("--dsn", dsn, "data source name or connection string")->required();
  app.add_option("--user", user);
  app.add_option("--password", password);
  app.add_option("--tables", tables)->check(CLI::Range(1, 1000000));
  app.add_option("--columns", columns)->check(CLI::Range(1, 1000));
  CLI11_PARSE(app, argc, argv);

  CODBCCommand command;
  if (!command.connect(platform::utf8ToUtf16(dsn), platform::utf8ToUtf16(user),
                       platform::utf8ToUtf16(password))) {
    std::fprintf(stderr, "cannot connect to %s\n", dsn.c_str());
    return 1;
  }
  auto adapter = std::make_unique<CODBCAdapter>(&command);
  adapter->setLockTimeout(30);
  const CODBCAdapter::MappedColumns map = generatedMap(tables, columns);
  // Each table is looked up by its first column, as a required property would make it.
  CODBCAdapter::MappedColumns lookups;
  for (const auto& [table, names] : map) lookups.emplace_back(table, std::vector{names.front()});

  std::printf("%d tables x %d columns\n", tables, columns);
  if (!timedCheck(adapter.get(), map, lookups, "empty database") ||
      !timedCheck(adapter.get(), map, lookups, "schema exists")) {
    command.disconnect();
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  CDataSet dataSet(u"bench");
  adapter->fill(&dataSet);
  std::printf("structure read (fill)   %8.2f s, %zu tables\n", secondsSince(start),
              dataSet.getTables().size());
  command.disconnect();
  return 0;
}
