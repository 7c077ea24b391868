#include "connector/progress.h"

namespace metalink {
namespace {

ProgressHandler progressHandler = nullptr;
void* progressContext = nullptr;

}  // namespace

void setProgressHandler(ProgressHandler handler, void* context) {
  progressHandler = handler;
  progressContext = context;
}

bool hasProgressHandler() { return progressHandler != nullptr; }

void reportProgress(const char* phase, long long done, long long total) {
  if (progressHandler != nullptr) progressHandler(progressContext, phase, done, total);
}

namespace {
long long lastFailedRows = 0;
}  // namespace

void setLastImportFailedRows(long long count) { lastFailedRows = count; }
long long lastImportFailedRows() { return lastFailedRows; }

}  // namespace metalink
