#include "odbc_test_database.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "adapter/odbc_api.h"
#include "adapter/odbc_text.h"
#include "platform/files.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace edatest {
namespace {

const char* driverDirectory() {
  const char* dir = getenv("EDA_ODBC_DRIVER_DIR");
  return dir != nullptr ? dir : "/usr/lib/x86_64-linux-gnu/odbc";
}

std::u16string wide(const std::string& text) { return platform::utf8ToUtf16(text); }
std::string narrow(const std::u16string& text) { return platform::utf16ToUtf8(text); }
std::string describe(const odbc::Failure& failure) {
  return failure.empty() ? "unknown ODBC failure" : failure.describe();
}

// Reads the sections of an ini file: section -> key -> value.
std::map<std::string, std::map<std::string, std::string>> readIni(const std::string& path) {
  std::map<std::string, std::map<std::string, std::string>> sections;
  std::ifstream in(path);
  std::string section;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line[0] == '[') {
      section = line.substr(1, line.find(']') - 1);
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    sections[section][line.substr(0, eq)] = line.substr(eq + 1);
  }
  return sections;
}

// The private ODBC configuration of this process: the drivers, and a pool of DSNs for the test
// databases. unixODBC caches odbc.ini and notices changes only by the file's modification time,
// in whole seconds, so the file is written once, before the first ODBC call of the process (see
// kEarlySetUp), and never changed afterwards.
class PrivateOdbcConfig {
 public:
  static constexpr int kPoolSize = 16;

  static PrivateOdbcConfig& instance() {
    static PrivateOdbcConfig config;
    return config;
  }

  const std::string& directory() const { return directory_; }
  // The [EdaTestPostgres] section of the odbc.ini the process was started with.
  const std::map<std::string, std::string>* postgresServer() const {
    auto it = baseSections_.find("EdaTestPostgres");
    return it == baseSections_.end() ? nullptr : &it->second;
  }

  // The next DSN of the pool and the database it names (a file, or a server database); false
  // when the pool is used up.
  bool take(OdbcDriver driver, std::string* dsn, std::string* database) {
    int& used = driver == OdbcDriver::kSqlite ? sqliteUsed_ : postgresUsed_;
    if (used == kPoolSize) return false;
    ++used;
    *dsn = dsnName(driver, used);
    *database = databaseName(driver, used);
    return true;
  }

 private:
  PrivateOdbcConfig() {
    const char* base = getenv("ODBCINI");
    if (base != nullptr) baseSections_ = readIni(base);
    if (scratch_.path().empty()) return;
    directory_ = scratch_.path();
    writeFiles();
    setenv("ODBCSYSINI", directory_.c_str(), 1);
    setenv("ODBCINI", (directory_ + "/odbc.ini").c_str(), 1);
  }

  static std::string dsnName(OdbcDriver driver, int n) {
    return std::string(driver == OdbcDriver::kSqlite ? "EdaTestSqlite" : "EdaTestPostgres") +
           std::to_string(n);
  }
  std::string databaseName(OdbcDriver driver, int n) const {
    if (driver == OdbcDriver::kSqlite) return directory_ + "/test" + std::to_string(n) + ".db";
    return "eda_test_" + std::to_string(getpid()) + "_" + std::to_string(n);
  }

  void writeFiles() const {
    std::ofstream drivers(directory_ + "/odbcinst.ini", std::ios::trunc);
    // DontDLClose keeps the drivers loaded, so that the leak checker can name them when it
    // reports what they leave behind at exit.
    drivers << "[EdaPostgreSQL]\nDriver=" << driverDirectory() << "/psqlodbcw.so\nDontDLClose=1\n\n"
            << "[EdaSQLite3]\nDriver=" << driverDirectory()
            << "/libsqlite3odbc.so\nDontDLClose=1\n";
    std::ofstream dsns(directory_ + "/odbc.ini", std::ios::trunc);
    const auto* server = postgresServer();
    for (int n = 1; n <= kPoolSize; ++n) {
      dsns << "[" << dsnName(OdbcDriver::kSqlite, n)
           << "]\nDriver=EdaSQLite3\nDatabase=" << databaseName(OdbcDriver::kSqlite, n)
           << "\nTimeout=5000\n\n";
      if (server == nullptr) continue;
      // No password here: it comes with each connect, so a wrong one is refused.
      dsns << "[" << dsnName(OdbcDriver::kPostgres, n) << "]\nDriver=EdaPostgreSQL\n"
           << "Servername=" << server->at("Servername") << "\nPort=" << server->at("Port")
           << "\nDatabase=" << databaseName(OdbcDriver::kPostgres, n) << "\n\n";
    }
  }

  std::map<std::string, std::map<std::string, std::string>> baseSections_;
  testsupport::TempDir scratch_{"eda-odbc"};
  std::string directory_;
  int sqliteUsed_ = 0;
  int postgresUsed_ = 0;
};

// Sets the configuration up before main, and so before any ODBC environment exists. The locale is
// left alone: the test processes run as a host that never called setlocale, and text must reach
// every driver whole all the same.
const bool kEarlySetUp = (PrivateOdbcConfig::instance(), true);

// One ODBC connection opened with a connection string, through the connector's ODBC layer (its
// handle owners, its text handling and its diagnostics), but not through the code under test.
struct RawConnection {
  odbc::EnvironmentHandle environment;
  std::unique_ptr<odbc::ConnectionHandle> connection;
  odbc::DriverText text;

  bool open(const std::string& connectionString, std::string* error) {
    connection = std::make_unique<odbc::ConnectionHandle>(environment);
    odbc::Failure failure;
    if (!connection->valid() || !connection->driverConnect(wide(connectionString), &failure)) {
      *error = connection->valid() ? describe(failure) : "cannot allocate ODBC handles";
      connection.reset();
      return false;
    }
    text = odbc::DriverText::probe(connection->get(), true);
    return true;
  }

  bool run(const std::string& sql, std::vector<TestDatabase::Row>* rows, std::string* error) {
    odbc::StatementHandle statement(connection->get());
    if (!statement.valid()) {
      *error = describe(odbc::readFailure(SQL_HANDLE_DBC, connection->get(), &text));
      return false;
    }
    const SQLRETURN rc = text.execDirect(statement.get(), wide(sql));
    const bool ok = odbc::succeeded(rc) || rc == SQL_NO_DATA;
    if (!ok) *error = describe(statement.failure(&text));
    SQLSMALLINT columns = 0;
    if (ok && rows != nullptr && odbc::succeeded(SQLNumResultCols(statement.get(), &columns))) {
      while (odbc::succeeded(SQLFetch(statement.get()))) {
        TestDatabase::Row row;
        for (SQLUSMALLINT c = 1; c <= columns; ++c) {
          std::u16string value;
          bool isNull = false;
          odbc::Failure failure;
          if (!text.getData(statement.get(), c, &value, &isNull, &failure)) {
            *error = describe(failure);
            return false;
          }
          row.push_back(isNull ? std::nullopt : std::optional<std::string>(narrow(value)));
        }
        rows->push_back(std::move(row));
      }
    }
    return ok;
  }
};

std::string postgresConnectionString(const std::map<std::string, std::string>& server,
                                     const std::string& database) {
  auto get = [&server](const char* key) {
    auto it = server.find(key);
    return it == server.end() ? std::string() : it->second;
  };
  return "Driver=" + std::string(driverDirectory()) +
         "/psqlodbcw.so;Servername=" + get("Servername") + ";Port=" + get("Port") +
         ";Database=" + database + ";Username=" + get("Username") + ";Password=" + get("Password") +
         ";";
}

}  // namespace

struct TestDatabase::Connection {
  RawConnection raw;
};

const char* driverName(OdbcDriver driver) {
  return driver == OdbcDriver::kSqlite ? "SQLite" : "PostgreSQL";
}

std::unique_ptr<TestDatabase> TestDatabase::create(OdbcDriver driver, std::string* error) {
  PrivateOdbcConfig& config = PrivateOdbcConfig::instance();
  if (config.directory().empty()) {
    *error = "cannot make a temporary directory for odbc.ini";
    return nullptr;
  }
  std::unique_ptr<TestDatabase> db(new TestDatabase());
  db->driver_ = driver;
  std::string dsn;
  std::string database;
  if (!config.take(driver, &dsn, &database)) {
    *error = "all test DSNs of this process are in use";
    return nullptr;
  }
  db->dsn_ = wide(dsn);
  if (driver == OdbcDriver::kSqlite) return db;

  const auto* server = config.postgresServer();
  if (server == nullptr) {
    *error =
        "no PostgreSQL test server: ODBCINI names no odbc.ini with [EdaTestPostgres] (run the "
        "tests through CTest, which starts it with the fixture \"postgres\", or start "
        "scripts/pg-test-server.sh and point ODBCINI at its odbc.ini)";
    return nullptr;
  }
  RawConnection admin;
  if (!admin.open(postgresConnectionString(*server, "postgres"), error)) return nullptr;
  if (!admin.run("CREATE DATABASE \"" + database + "\" ENCODING 'UTF8'", nullptr, error)) {
    return nullptr;
  }
  db->serverDatabase_ = database;
  db->user_ = wide(server->at("Username"));
  db->password_ = wide(server->at("Password"));
  return db;
}

TestDatabase::~TestDatabase() {
  connection_.reset();
  if (driver_ != OdbcDriver::kPostgres || serverDatabase_.empty()) return;
  const auto* server = PrivateOdbcConfig::instance().postgresServer();
  RawConnection admin;
  std::string error;
  if (server != nullptr && admin.open(postgresConnectionString(*server, "postgres"), &error)) {
    admin.run("DROP DATABASE IF EXISTS \"" + serverDatabase_ + "\" WITH (FORCE)", nullptr, &error);
  }
}

TestDatabase::Connection* TestDatabase::connection(std::string* error) {
  if (connection_ != nullptr) return connection_.get();
  auto connection = std::make_unique<Connection>();
  std::string text = "DSN=" + narrow(dsn_) + ";";
  if (driver_ == OdbcDriver::kPostgres) {
    text += "Username=" + narrow(user_) + ";Password=" + narrow(password_) + ";";
  }
  if (!connection->raw.open(text, error)) return nullptr;
  connection_ = std::move(connection);
  return connection_.get();
}

bool TestDatabase::execute(const std::string& sql, std::string* error) {
  std::string ignored;
  if (error == nullptr) error = &ignored;
  Connection* c = connection(error);
  return c != nullptr && c->raw.run(sql, nullptr, error);
}

std::vector<TestDatabase::Row> TestDatabase::query(const std::string& sql, std::string* error) {
  std::string ignored;
  if (error == nullptr) error = &ignored;
  std::vector<Row> rows;
  Connection* c = connection(error);
  if (c == nullptr || !c->raw.run(sql, &rows, error)) rows.clear();
  return rows;
}

}  // namespace edatest
