// The process-wide progress hook of long transfers. Calls are made one at a time, like every
// connector call, so the hook is not guarded.
#pragma once

#include <cstdint>

namespace metalink {

using ProgressHandler = void (*)(void* context, const char* phase, long long done, long long total);

void setProgressHandler(ProgressHandler handler, void* context);

// True while a handler is installed; work done only for the display (counting rows) is skipped
// otherwise.
bool hasProgressHandler();

// Reports progress when a handler is installed; cheap otherwise.
void reportProgress(const char* phase, long long done, long long total);

// The rows the last import could not write (set by each import, read by the C entry point).
void setLastImportFailedRows(long long count);
long long lastImportFailedRows();

}  // namespace metalink
