// The connector operations; one object per call of an exported function.
#pragma once

#include <string>
#include <vector>

#include "adapter/import_plan.h"
#include "connector/odbc_con_base.h"

class CODBCConOperation : public CODBCConBase {
 public:
  CODBCConOperation() = default;
  ~CODBCConOperation() override = default;

  // 1 when a connection opens with these credentials.
  int checkDataSource(const std::u16string& dataSource, const std::u16string& user,
                      const std::u16string& password);
  // Database to library file. `option` bits: 1 required, 2 create attributes, 8 reference mode.
  int exportMetadataDB(const std::u16string& libraryFile, const std::u16string& dataSource,
                       const std::u16string& user, const std::u16string& password,
                       const std::u16string& syncMapFile, int option,
                       const std::u16string& referenceLibraryFile);
  // Library file to database; an empty `logFile` keeps the configured log file.
  int importMetadataDB(const std::u16string& dataSource, const std::u16string& user,
                       const std::u16string& password, const std::u16string& syncMapFile,
                       const std::u16string& libraryFile, const std::u16string& logFile);

  // What importMetadataDB would do to each table, found with reads only: *plans gets one entry
  // per table that the library fills. False when the files or the connection fail.
  bool planImportMetadataDB(const std::u16string& dataSource, const std::u16string& user,
                            const std::u16string& password, const std::u16string& syncMapFile,
                            const std::u16string& libraryFile, std::vector<ImportTablePlan>* plans);

  // Browsing: names as the driver manager or driver reports them; empty on failure.
  std::vector<std::u16string> getDataSources();
  std::vector<std::u16string> getTables(const std::u16string& dataSource,
                                        const std::u16string& user, const std::u16string& password);
  std::vector<std::u16string> getColumns(const std::u16string& dataSource,
                                         const std::u16string& user, const std::u16string& password,
                                         const std::u16string& table);
};
