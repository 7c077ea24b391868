#include "transfer_bench_transfer.h"

#include <chrono>
#include <cstdio>

#include "connector/odbc_con_operation.h"
#include "connector/progress.h"
#include "util/text_conversion.h"

namespace transfer_bench {
namespace {

void reportProgress(void* /*context*/, const char* phase, long long done, long long total) {
  using Clock = std::chrono::steady_clock;
  static Clock::time_point last;
  const Clock::time_point now = Clock::now();
  if (done != total && now - last < std::chrono::seconds(5)) return;
  last = now;
  std::fprintf(stderr, "progress %s %lld/%lld\n", phase, done, total);
}

}  // namespace

int runImport(const TransferTarget& target, const std::string& libraryFile) {
  CODBCConOperation operation;
  return operation.importMetadataDB(toWide(target.dsn), toWide(target.user),
                                    toWide(target.password), toWide(target.syncMap),
                                    toWide(libraryFile), u"");
}

int runExport(const TransferTarget& target, const std::string& libraryFile, int option) {
  CODBCConOperation operation;
  return operation.exportMetadataDB(toWide(libraryFile), toWide(target.dsn), toWide(target.user),
                                    toWide(target.password), toWide(target.syncMap), option, u"");
}

void installProgressReport() { metalink::setProgressHandler(reportProgress, nullptr); }

}  // namespace transfer_bench
