// The C entry points: check the arguments, run one operation on a fresh connector object,
// hand the result back.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "connector/entry_guard.h"
#include "connector/odbc_con_operation.h"
#include "connector/progress.h"
#include "metalink/metalink.h"
#include "util/message_logger.h"

namespace {

std::u16string wide(const metalink_char* text) {
  return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

// Hands a list to a C caller: an array of `names.size()` separately allocated NUL-terminated
// strings, stored also when empty. Returns the count.
int handOver(const std::vector<std::u16string>& names, metalink_char*** out) {
  auto array = std::make_unique<metalink_char*[]>(names.size());
  size_t made = 0;
  try {
    for (; made < names.size(); ++made) {
      array[made] = new metalink_char[names[made].size() + 1];
      std::memcpy(array[made], names[made].c_str(),
                  (names[made].size() + 1) * sizeof(metalink_char));
    }
  } catch (...) {
    for (size_t i = 0; i < made; ++i) delete[] array[i];
    throw;
  }
  *out = array.release();
  return static_cast<int>(names.size());
}

// A list operation on a fresh connector; 0 (and an empty array) on failure.
template <typename Operation>
int listNames(metalink_char*** out, Operation&& operation) {
  const int count = metalink::runGuarded(-1, [&] {
    std::vector<std::u16string> names;
    {
      CODBCConOperation connector;
      if (connector.isUsable()) names = operation(connector);
    }
    return handOver(names, out);
  });
  if (count >= 0) return count;
  *out = new (std::nothrow) metalink_char*[0];
  return 0;
}

}  // namespace

extern "C" {

METALINK_EXPORT int checkDataSource(const metalink_char* dataSource, const metalink_char* user,
                                    const metalink_char* password) {
  if (!dataSource || !user || !password) return 0;
  return metalink::runGuarded(0, [&] {
    CODBCConOperation connector;
    if (!connector.isUsable()) return 0;
    return connector.checkDataSource(wide(dataSource), wide(user), wide(password));
  });
}

METALINK_EXPORT int exportMetadataDB(const metalink_char* libraryFile,
                                     const metalink_char* dataSource, const metalink_char* user,
                                     const metalink_char* password,
                                     const metalink_char* syncMapFile, int option,
                                     const metalink_char* referenceLibraryFile) {
  if (!libraryFile || !dataSource || !user || !password || !syncMapFile || !referenceLibraryFile) {
    return 0;
  }
  return metalink::runGuarded(0, [&] {
    CODBCConOperation connector;
    if (!connector.isUsable()) return 0;
    return connector.exportMetadataDB(wide(libraryFile), wide(dataSource), wide(user),
                                      wide(password), wide(syncMapFile), option,
                                      wide(referenceLibraryFile));
  });
}

METALINK_EXPORT int importMetadataDB(const metalink_char* dataSource, const metalink_char* user,
                                     const metalink_char* password,
                                     const metalink_char* syncMapFile,
                                     const metalink_char* libraryFile,
                                     const metalink_char* logFile) {
  if (!dataSource || !user || !password || !syncMapFile || !libraryFile) return 0;
  return metalink::runGuarded(0, [&] {
    CODBCConOperation connector;
    if (!connector.isUsable()) return 0;
    return connector.importMetadataDB(wide(dataSource), wide(user), wide(password),
                                      wide(syncMapFile), wide(libraryFile), wide(logFile));
  });
}

METALINK_EXPORT int planImportMetadataDB(const metalink_char* dataSource, const metalink_char* user,
                                         const metalink_char* password,
                                         const metalink_char* syncMapFile,
                                         const metalink_char* libraryFile,
                                         metalink_import_plan** plans) {
  if (plans == nullptr) return -1;
  *plans = nullptr;
  if (!dataSource || !user || !password || !syncMapFile || !libraryFile) return -1;
  return metalink::runGuarded(-1, [&] {
    std::vector<ImportTablePlan> result;
    {
      CODBCConOperation connector;
      if (!connector.isUsable() ||
          !connector.planImportMetadataDB(wide(dataSource), wide(user), wide(password),
                                          wide(syncMapFile), wide(libraryFile), &result)) {
        return -1;
      }
    }
    auto array = std::make_unique<metalink_import_plan[]>(result.size());
    std::vector<std::u16string> names;
    for (const ImportTablePlan& plan : result) names.push_back(plan.table);
    metalink_char** copies = nullptr;
    const int count = handOver(names, &copies);
    for (int i = 0; i < count; ++i) {
      const ImportTablePlan& plan = result[i];
      array[i] = {copies[i],      plan.created ? 1 : 0, plan.inserted,    plan.updated,
                  plan.unchanged, plan.linksReplaced,   plan.linksWritten};
    }
    delete[] copies;  // the names now belong to the entries
    *plans = array.release();
    return count;
  });
}

METALINK_EXPORT void metalinkFreeImportPlans(metalink_import_plan* plans, int count) {
  if (plans == nullptr) return;
  for (int i = 0; i < count; ++i) delete[] plans[i].table;
  delete[] plans;
}

METALINK_EXPORT int getDataSources(metalink_char*** names) {
  if (!names) return 0;
  return listNames(names, [](CODBCConOperation& c) { return c.getDataSources(); });
}

METALINK_EXPORT int getTables(const metalink_char* dataSource, const metalink_char* user,
                              const metalink_char* password, metalink_char*** names) {
  if (!dataSource || !user || !password || !names) return 0;
  return listNames(names, [&](CODBCConOperation& c) {
    return c.getTables(wide(dataSource), wide(user), wide(password));
  });
}

METALINK_EXPORT int getColumns(const metalink_char* dataSource, const metalink_char* user,
                               const metalink_char* password, const metalink_char* table,
                               metalink_char*** names) {
  if (!dataSource || !user || !password || !table || !names) return 0;
  return listNames(names, [&](CODBCConOperation& c) {
    return c.getColumns(wide(dataSource), wide(user), wide(password), wide(table));
  });
}

METALINK_EXPORT void metalinkFreeNames(metalink_char** names, int count) {
  if (names == nullptr) return;
  for (int i = 0; i < count; ++i) delete[] names[i];
  delete[] names;
}

METALINK_EXPORT long long metalinkLastImportFailedRows(void) {
  return metalink::lastImportFailedRows();
}

METALINK_EXPORT const char* metalinkLogFile(void) {
  // A copy per thread: another thread's operation may change the setting meanwhile.
  static thread_local std::string path;
  path = MessageLogger::logFilePath();
  return path.c_str();
}

METALINK_EXPORT void metalinkSetProgressHandler(metalink_progress_handler handler, void* context) {
  metalink::setProgressHandler(handler, context);
}

}  // extern "C"
