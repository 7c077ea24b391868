#include "connector/odbc_con_operation.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "adapter/edalib_adapter.h"
#include "adapter/edalib_command.h"
#include "adapter/odbc_adapter.h"
#include "adapter/odbc_command.h"
#include "adapter/result_row.h"
#include "adapter/sql_dialect.h"
#include "connector/progress.h"
#include "dataset/data_set.h"
#include "syncmap/eda_element.h"
#include "syncmap/eda_sync_map.h"
#include "syncmap/eda_table.h"
#include "util/message_logger.h"
#include "util/text_conversion.h"

namespace {

constexpr const char* kSource = "ODBCConOperation";
constexpr int kOptionRequired = 1;
constexpr int kOptionCreateAttributes = 3;
constexpr int kOptionReferenceMode = 8;
// Progress is reported every this many rows, and once at the end.
constexpr long long kProgressStep = 100;

// Owns the open state of the command's connection: whatever way the operation leaves, a
// connection it opened is closed.
class Connection {
 public:
  explicit Connection(CODBCCommand* command) : command_(command) {}
  ~Connection() { close(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool open(const std::u16string& dataSource, const std::u16string& user,
            const std::u16string& password, bool mayCreateDatabase = true) {
    open_ = command_->connect(dataSource, user, password, mayCreateDatabase);
    return open_;
  }
  void close() {
    if (open_) command_->disconnect();
    open_ = false;
  }

 private:
  CODBCCommand* command_;
  bool open_ = false;
};

// Counts the rows of one phase for the progress display.
class ProgressCounter {
 public:
  ProgressCounter(const char* phase, long long total) : phase_(phase), total_(total) {}
  void step() {
    if (++done_ % kProgressStep == 0) metalink::reportProgress(phase_, done_, total_);
  }
  void finish() { metalink::reportProgress(phase_, done_, total_ > done_ ? total_ : done_); }

 private:
  const char* phase_;
  long long total_;
  long long done_ = 0;
};

void info(const std::string& message) { MessageLogger::info(kSource, message); }

// A path from the caller, converted exactly. One that cannot be (an unpaired surrogate) is
// refused with an ERROR line: a substitute character would read or write another file.
bool exactPath(const char* what, const std::u16string& wide, std::string* path) {
  std::string reason;
  if (toUtf8Path(wide, path, &reason)) return true;
  MessageLogger::error(kSource, std::string("The path of the ") + what + " " + toUtf8(wide) +
                                    " cannot be used because " + reason);
  return false;
}

// The one ERROR line of an export that stops; the library file has not been touched then.
int exportFailed(const std::string& reason) {
  MessageLogger::error(kSource, "The export failed: " + reason + "; the library file is unchanged");
  return 0;
}

// Holds the command's read transaction from begin() until end() or destruction.
class ReadTransaction {
 public:
  explicit ReadTransaction(CODBCCommand* command) : command_(command) {}
  ~ReadTransaction() { end(); }
  ReadTransaction(const ReadTransaction&) = delete;
  ReadTransaction& operator=(const ReadTransaction&) = delete;

  bool begin() {
    open_ = command_->beginReadTransaction();
    return open_;
  }
  void end() {
    if (open_) command_->endTransaction(false);
    open_ = false;
  }

 private:
  CODBCCommand* command_;
  bool open_ = false;
};

// The rows a full export will read; 0 (unknown) when no progress is shown or a count fails.
long long countRows(CODBCCommand* command, const CODBCAdapter& adapter, const CDataSet& dataSet,
                    const std::vector<std::u16string>& tableNames) {
  if (!metalink::hasProgressHandler()) return 0;
  long long total = 0;
  for (const std::u16string& name : tableNames) {
    const CDataTable* table = dataSet.getTable(name);
    if (table == nullptr) continue;
    if (!command->executeQuery(adapter.buildCountRows(table->getName())) ||
        command->getRows().empty() || command->getRows().front().empty()) {
      return 0;
    }
    total += resultInteger(command->getRows().front().front().second);
  }
  return total;
}

long long countRows(const CDataSet& dataSet) {
  long long total = 0;
  for (const auto& table : dataSet.getTables()) total += table.second->getRows().size();
  return total;
}

// The columns of the required properties, by table: an import looks every row up by them.
void collectLookupColumns(const CEDAElement& element,
                          std::map<std::u16string, std::vector<std::u16string>>* out) {
  for (const CEDAProperty* property : element.getMappedProperties(true)) {
    const CEDAColumn* column = property->getColumn();
    if (column == nullptr || column->getTable() == nullptr) continue;
    auto& columns = (*out)[toWide(column->getTable()->getName())];
    const std::u16string name = toWide(column->getName());
    if (std::find(columns.begin(), columns.end(), name) == columns.end()) columns.push_back(name);
  }
  for (const CEDAElement* child : element.getChildren()) collectLookupColumns(*child, out);
}

std::map<std::u16string, std::vector<std::u16string>> lookupColumns(const CEDASyncMap& syncMap) {
  std::map<std::u16string, std::vector<std::u16string>> columns;
  for (const CEDAElement* element : syncMap.getElements()) collectLookupColumns(*element, &columns);
  return columns;
}

// Refuses a sync map whose table and column names the connected database cannot take, before the
// first statement runs.
bool checkSyncMapNames(const CEDASyncMap& syncMap, const SqlDialect& dialect) {
  std::string problem;
  const bool ok = syncMap.checkNames(
      toUtf8(CODBCAdapter::kRelationsTable),
      [&dialect](const std::string& table) { return dialect.reservedTableReason(toWide(table)); },
      &problem);
  if (!ok) MessageLogger::error(kSource, "The sync map cannot be used: " + problem);
  return ok;
}

}  // namespace

int CODBCConOperation::checkDataSource(const std::u16string& dataSource, const std::u16string& user,
                                       const std::u16string& password) {
  if (!isUsable()) return 0;
  Connection connection(command());
  if (!connection.open(dataSource, user, password)) return 0;
  connection.close();
  return 1;
}

int CODBCConOperation::exportMetadataDB(const std::u16string& libraryFile,
                                        const std::u16string& dataSource,
                                        const std::u16string& user, const std::u16string& password,
                                        const std::u16string& syncMapFile, int option,
                                        const std::u16string& referenceLibraryFile) {
  if (!isUsable()) return 0;
  auto syncMap = std::make_unique<CEDASyncMap>();
  if ((option & kOptionRequired) == 0) {
    MessageLogger::error(kSource, "The transfer option is not correct");
    return 0;
  }
  const bool createAttributes = (option & kOptionCreateAttributes) == kOptionCreateAttributes;
  const bool referenceMode = (option & kOptionReferenceMode) != 0;
  std::string libraryPath, syncMapPath, referencePath;
  if (!exactPath("library file", libraryFile, &libraryPath) ||
      !exactPath("sync map", syncMapFile, &syncMapPath) ||
      (referenceMode && !exactPath("reference library", referenceLibraryFile, &referencePath))) {
    return 0;
  }
  info(libraryPath);
  if (!syncMap->load(syncMapPath.c_str())) return 0;

  // The library file is written only from a complete read: whatever fails before the save leaves
  // it as it was.
  std::unique_ptr<CEDALibCommand> referenceLibrary;
  if (referenceMode) {
    referenceLibrary = std::make_unique<CEDALibCommand>();
    if (!referenceLibrary->load(referencePath)) {
      return exportFailed("the reference library " + referencePath + " cannot be loaded");
    }
  }

  // An export reads: a data source whose database file is gone is an error, not a new database.
  Connection connection(command());
  if (!connection.open(dataSource, user, password, false)) return 0;
  if (!checkSyncMapNames(*syncMap, command()->getDialect())) return 0;

  auto library = std::make_unique<CEDALibCommand>();
  auto libraryAdapter = std::make_unique<CEDALibAdapter>(library.get(), syncMap.get());
  auto odbcAdapter = std::make_unique<CODBCAdapter>(command());
  auto dataSet = std::make_unique<CDataSet>(dataSource);

  info("Start to query data from data source");
  std::vector<std::u16string> tableNames;
  for (const std::string& name : syncMap->getTableNames()) tableNames.push_back(toWide(name));
  // Identity columns are added before the structure is read, so that the data set knows them
  // and rows can be linked by identity in this run already.
  for (const std::u16string& name : tableNames) odbcAdapter->ensureIdentityColumn(name);

  // Every table is read in one read transaction, so an import that writes meanwhile is seen
  // wholly or not at all.
  ReadTransaction snapshot(command());
  if (!snapshot.begin()) return exportFailed("the data source cannot be read consistently");
  odbcAdapter->fill(dataSet.get());

  // Mapped tables missing from the data source are skipped; a source with none of them is the
  // wrong one (or an empty database), and an empty library would replace a good one.
  std::vector<std::u16string> presentTables;
  for (const std::u16string& name : tableNames) {
    if (dataSet->getTable(name) != nullptr) presentTables.push_back(name);
  }
  if (presentTables.empty()) {
    return exportFailed("none of the tables of the sync map exists in the data source");
  }

  std::vector<std::u16string> readTables = presentTables;
  if (dataSet->getTable(CODBCAdapter::kRelationsTable) != nullptr) {
    readTables.insert(readTables.begin(), CODBCAdapter::kRelationsTable);
  }
  ProgressCounter progress(
      "read", referenceMode ? 0 : countRows(command(), *odbcAdapter, *dataSet, readTables));
  odbcAdapter->setRowObserver([&progress] { progress.step(); });
  struct ObserverReset {
    CODBCAdapter* adapter;
    ~ObserverReset() { adapter->setRowObserver(nullptr); }
  } observerReset{odbcAdapter.get()};

  auto readTable = [&](const std::u16string& name) {
    return odbcAdapter->fillNamedTable(dataSet.get(), name);
  };
  if (!readTables.empty() && readTables.front() == CODBCAdapter::kRelationsTable &&
      !readTable(CODBCAdapter::kRelationsTable)) {
    return exportFailed("the table Relations cannot be read completely");
  }
  info("End to query data from data source");
  info("Start to query data from data source");
  if (!referenceMode) {
    for (const std::u16string& name : presentTables) {
      if (!readTable(name)) {
        return exportFailed("the table " + toUtf8(name) + " cannot be read completely");
      }
    }
    libraryAdapter->updateLibrary(odbcAdapter.get(), dataSet.get(), createAttributes, nullptr);
  } else if (!libraryAdapter->updateLibrary(odbcAdapter.get(), dataSet.get(), createAttributes,
                                            referenceLibrary.get())) {
    return exportFailed("the rows of the reference items cannot be read completely");
  }
  snapshot.end();
  progress.finish();
  // The library has said why the save failed.
  if (!library->save(libraryPath)) {
    MessageLogger::error(kSource, "The export failed: the library file cannot be written");
    return 0;
  }
  info("End to query data from data source");

  connection.close();
  return 1;
}

int CODBCConOperation::importMetadataDB(const std::u16string& dataSource,
                                        const std::u16string& user, const std::u16string& password,
                                        const std::u16string& syncMapFile,
                                        const std::u16string& libraryFile,
                                        const std::u16string& logFile) {
  if (!isUsable()) return 0;
  metalink::setLastImportFailedRows(0);
  auto syncMap = std::make_unique<CEDASyncMap>();

  // The lines of this call go to the caller's file; the configured one is back in force when the
  // call returns, whichever way it returns.
  struct LogFileSwitch {
    CODBCConBase* base;
    std::string saved;
    bool switched = false;
    ~LogFileSwitch() {
      if (switched) base->setLogFile(saved);
    }
  } logSwitch{this, getLogFile()};
  std::string logPath, syncMapPath, libraryPath;
  if (!exactPath("log file", logFile, &logPath) ||
      !exactPath("sync map", syncMapFile, &syncMapPath) ||
      !exactPath("library file", libraryFile, &libraryPath)) {
    return 0;
  }
  if (!logPath.empty()) {
    setLogFile(logPath);
    logSwitch.switched = true;
  }

  info(libraryPath);
  if (!syncMap->load(syncMapPath.c_str())) return 0;
  auto library = std::make_unique<CEDALibCommand>();
  if (!library->load(libraryPath)) return 0;
  auto libraryAdapter = std::make_unique<CEDALibAdapter>(library.get(), syncMap.get());

  Connection connection(command());
  if (!connection.open(dataSource, user, password)) return 0;
  if (!checkSyncMapNames(*syncMap, command()->getDialect())) return 0;

  auto odbcAdapter = std::make_unique<CODBCAdapter>(command());

  info("Start to check the integrity of the data source");
  // A lock held elsewhere is waited for a bounded time, from the first statement on.
  odbcAdapter->setLockTimeout(getLockTimeout());
  odbcAdapter->setFastWrite(getFastWrite());
  command()->clearFailure();
  // Where the database allows it, the check runs inside the import's transaction and under its
  // lock: two imports that find the same tables missing do not both create them, and a check that
  // fails half-way leaves no half schema.
  const bool checkInTransaction = command()->getDialect().changesSchemaInTransaction();
  auto beginImport = [&odbcAdapter] {
    if (odbcAdapter->beginImport()) return true;
    MessageLogger::error(kSource,
                         "The import cannot start: " + odbcAdapter->lastUpdate().fatal.describe());
    return false;
  };
  if (checkInTransaction && !beginImport()) return 0;
  CODBCAdapter::MappedColumns mappedColumns;
  for (const CEDATable* table : syncMap->getTables()) {
    std::vector<std::u16string> columns;
    for (const std::string& column : table->getColumnNames()) columns.push_back(toWide(column));
    mappedColumns.emplace_back(toWide(table->getName()), std::move(columns));
  }
  const auto lookups = lookupColumns(*syncMap);
  if (!odbcAdapter->ensureSchema(mappedColumns, {lookups.begin(), lookups.end()})) {
    if (checkInTransaction) odbcAdapter->endImport(false);
    std::string failure = "The import failed in the integrity check";
    const CODBCAdapter::SchemaCommitted& committed = odbcAdapter->schemaCommitted();
    if (checkInTransaction && committed.table.empty()) {
      failure += " and was rolled back, nothing was written";
    } else if (checkInTransaction && !committed.indexes) {
      failure += "; no row was written. The changes to the tables up to " +
                 toUtf8(committed.table) +
                 " (in the sync map's order) had been committed and stay, the later ones were "
                 "rolled back";
    } else if (checkInTransaction) {
      failure +=
          "; no row was written. The tables and columns had been committed and stay, and "
          "the lookup indexes up to the one of " +
          toUtf8(committed.table) + "; the later indexes were rolled back";
    }
    MessageLogger::error(kSource, failure);
    return 0;
  }
  info("End to check the integrity of the data source");

  auto dataSet = std::make_unique<CDataSet>(dataSource);
  info("Start to read the structure of the data source");
  odbcAdapter->fill(dataSet.get());
  info("End to read the structure of the data source");

  libraryAdapter->fill(dataSet.get());
  // The rows hold copies of everything the writing needs: the library would only add its size to
  // the peak of the writing.
  libraryAdapter.reset();
  library.reset();

  info("Start to import edalib.xml to part metadata database");
  // One transaction: a failure after which nothing can be written leaves the database exactly as
  // it was, and the import's lock keeps a concurrent import from reading rows this one inserts.
  if (!checkInTransaction && !beginImport()) return 0;
  ProgressCounter progress("write", countRows(*dataSet));
  odbcAdapter->setRowObserver([&progress] { progress.step(); });
  const bool written = odbcAdapter->update(dataSet.get());
  odbcAdapter->setRowObserver(nullptr);
  const CODBCAdapter::UpdateReport& report = odbcAdapter->lastUpdate();
  if (report.stopped()) {
    odbcAdapter->endImport(false);
    MessageLogger::error(kSource, "The import was ended and rolled back, nothing was written: " +
                                      report.fatal.describe());
    return 0;
  }
  if (!odbcAdapter->endImport(true)) {
    MessageLogger::error(kSource, "The import could not be committed, nothing was written: " +
                                      report.fatal.describe());
    return 0;
  }
  progress.finish();
  metalink::setLastImportFailedRows(report.failedRows);
  if (report.failedRows > 0) {
    MessageLogger::error(kSource, std::to_string(report.failedRows) +
                                      " rows could not be written; the others were imported");
  }
  info("End to import edalib.xml to part metadata database");

  connection.close();
  return written ? 1 : 0;
}

std::vector<std::u16string> CODBCConOperation::getDataSources() {
  std::vector<std::u16string> names;
  if (!isUsable()) return names;
  const int count = command()->listDataSources();
  if (count < 1) return names;
  for (const auto& row : command()->getRows()) {
    if (!row.empty()) names.push_back(row.front().first);
  }
  return names;
}

std::vector<std::u16string> CODBCConOperation::getTables(const std::u16string& dataSource,
                                                         const std::u16string& user,
                                                         const std::u16string& password) {
  std::vector<std::u16string> names;
  if (!isUsable()) return names;
  Connection connection(command());
  if (!connection.open(dataSource, user, password)) return names;
  command()->queryTables();
  names = command()->getColumnValues(u"TABLE_NAME");
  connection.close();
  return names;
}

std::vector<std::u16string> CODBCConOperation::getColumns(const std::u16string& dataSource,
                                                          const std::u16string& user,
                                                          const std::u16string& password,
                                                          const std::u16string& table) {
  std::vector<std::u16string> names;
  if (!isUsable()) return names;
  Connection connection(command());
  if (!connection.open(dataSource, user, password)) return names;
  command()->queryColumns(table);
  names = command()->getColumnValues(u"COLUMN_NAME");
  connection.close();
  return names;
}
