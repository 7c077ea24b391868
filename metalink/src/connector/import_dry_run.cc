// The dry run of importMetadataDB: the same reads, no write: the schema the integrity check would
// complete is completed in memory only.
#include <memory>
#include <utility>
#include <vector>

#include "adapter/edalib_adapter.h"
#include "adapter/edalib_command.h"
#include "adapter/odbc_adapter.h"
#include "adapter/odbc_command.h"
#include "connector/odbc_con_operation.h"
#include "dataset/data_set.h"
#include "syncmap/eda_sync_map.h"
#include "syncmap/eda_table.h"
#include "util/message_logger.h"
#include "util/text_conversion.h"

namespace {
constexpr const char* kSource = "ODBCConOperation";
}  // namespace

bool CODBCConOperation::planImportMetadataDB(const std::u16string& dataSource,
                                             const std::u16string& user,
                                             const std::u16string& password,
                                             const std::u16string& syncMapFile,
                                             const std::u16string& libraryFile,
                                             std::vector<ImportTablePlan>* plans) {
  if (!isUsable() || plans == nullptr) return false;
  MessageLogger::info(kSource, "Dry run of the import of " + toUtf8(libraryFile));
  auto syncMap = std::make_unique<CEDASyncMap>();
  if (!syncMap->load(toUtf8(syncMapFile).c_str())) return false;
  auto library = std::make_unique<CEDALibCommand>();
  if (!library->load(toUtf8(libraryFile))) return false;
  auto libraryAdapter = std::make_unique<CEDALibAdapter>(library.get(), syncMap.get());

  CODBCCommand* odbc = command();
  if (!odbc->connect(dataSource, user, password)) return false;
  auto odbcAdapter = std::make_unique<CODBCAdapter>(odbc);
  auto dataSet = std::make_unique<CDataSet>(dataSource);
  odbcAdapter->fill(dataSet.get());

  std::vector<std::pair<std::u16string, std::vector<std::u16string>>> mapped;
  for (const CEDATable* table : syncMap->getTables()) {
    std::vector<std::u16string> columns;
    for (const std::string& column : table->getColumnNames()) columns.push_back(toWide(column));
    mapped.emplace_back(toWide(table->getName()), std::move(columns));
  }
  const std::vector<std::u16string> created = odbcAdapter->planSchema(dataSet.get(), mapped);
  libraryAdapter->fill(dataSet.get());
  *plans = odbcAdapter->planUpdate(dataSet.get(), created);
  odbc->disconnect();
  MessageLogger::info(kSource, "End of the dry run; nothing was written");
  return true;
}
