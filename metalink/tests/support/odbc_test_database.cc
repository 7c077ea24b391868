#include "odbc_test_database.h"

#include <sql.h>
#include <sqlext.h>
#include <stdlib.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/files.h"
#include "platform/text.h"

namespace edatest {
namespace {

const char* driverDirectory() {
  const char* dir = getenv("EDA_ODBC_DRIVER_DIR");
  return dir != nullptr ? dir : "/usr/lib/x86_64-linux-gnu/odbc";
}

std::u16string wide(const std::string& text) { return platform::utf8ToUtf16(text); }
std::string narrow(const std::u16string& text) { return platform::utf16ToUtf8(text); }
SQLWCHAR* sqlText(std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(text.data()); }

std::string diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::string text;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLWCHAR message[1024] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(
            SQLGetDiagRecW(type, handle, record, state, &native, message, 1023, &length))) {
      break;
    }
    if (!text.empty()) text += "; ";
    text += narrow(reinterpret_cast<const char16_t*>(message));
  }
  return text.empty() ? "unknown ODBC failure" : text;
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
    std::string pattern = platform::joinPath(platform::tempDirectory(), "eda-odbc-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) return;
    directory_ = pattern;
    writeFiles();
    setenv("ODBCSYSINI", directory_.c_str(), 1);
    setenv("ODBCINI", (directory_ + "/odbc.ini").c_str(), 1);
  }
  ~PrivateOdbcConfig() {
    if (!directory_.empty()) std::system(("rm -rf '" + directory_ + "'").c_str());
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
  std::string directory_;
  int sqliteUsed_ = 0;
  int postgresUsed_ = 0;
};

// Sets the configuration up before main, and so before any ODBC environment exists. The character
// type follows UTF-8 as in the Java host (whose VM sets the user's locale): unixODBC converts
// between UTF-16 and the text of ANSI-only drivers (Debian's SQLite driver is one) in the
// locale's character set, and the C locale would lose every non-ASCII character.
const bool kEarlySetUp = (std::setlocale(LC_CTYPE, "C.UTF-8"), PrivateOdbcConfig::instance(), true);

// One ODBC connection opened with a connection string.
struct RawConnection {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;

  ~RawConnection() {
    if (dbc != SQL_NULL_HDBC) {
      SQLDisconnect(dbc);
      SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    }
    if (env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env);
  }

  bool open(const std::string& connectionString, std::string* error) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)) ||
        !SQL_SUCCEEDED(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                                     reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)) ||
        !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
      *error = "cannot allocate ODBC handles";
      return false;
    }
    std::u16string text = wide(connectionString);
    SQLWCHAR out[1024];
    SQLSMALLINT outLength = 0;
    if (!SQL_SUCCEEDED(SQLDriverConnectW(dbc, nullptr, sqlText(text), SQL_NTS, out, 1024,
                                         &outLength, SQL_DRIVER_NOPROMPT))) {
      *error = diagnostics(SQL_HANDLE_DBC, dbc);
      SQLFreeHandle(SQL_HANDLE_DBC, dbc);
      dbc = SQL_NULL_HDBC;
      return false;
    }
    return true;
  }

  bool run(const std::string& sql, std::vector<TestDatabase::Row>* rows, std::string* error) {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt))) {
      *error = diagnostics(SQL_HANDLE_DBC, dbc);
      return false;
    }
    std::u16string text = wide(sql);
    const SQLRETURN rc = SQLExecDirectW(stmt, sqlText(text), SQL_NTS);
    bool ok = SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA;
    if (!ok) *error = diagnostics(SQL_HANDLE_STMT, stmt);
    SQLSMALLINT columns = 0;
    if (ok && rows != nullptr && SQL_SUCCEEDED(SQLNumResultCols(stmt, &columns))) {
      while (SQL_SUCCEEDED(SQLFetch(stmt))) {
        TestDatabase::Row row;
        for (SQLUSMALLINT c = 1; c <= columns; ++c) row.push_back(readValue(stmt, c));
        rows->push_back(std::move(row));
      }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return ok;
  }

  static std::optional<std::string> readValue(SQLHSTMT stmt, SQLUSMALLINT column) {
    std::u16string value;
    SQLWCHAR part[4096];
    for (;;) {
      SQLLEN indicator = 0;
      const SQLRETURN rc = SQLGetData(stmt, column, SQL_C_WCHAR, part, sizeof part, &indicator);
      if (rc == SQL_NO_DATA) break;
      if (!SQL_SUCCEEDED(rc)) break;
      if (indicator == SQL_NULL_DATA) return std::nullopt;
      const size_t capacity = sizeof part / sizeof *part - 1;
      const bool full =
          indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) / sizeof(SQLWCHAR) > capacity;
      const size_t units = full ? capacity : static_cast<size_t>(indicator) / sizeof(SQLWCHAR);
      value.append(reinterpret_cast<const char16_t*>(part), units);
      if (!full) break;
    }
    return narrow(value);
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
