#include "util/message_logger.h"

#include <atomic>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <set>

#include "platform/append_file.h"
#include "platform/clock.h"

namespace {

// The log file and what is needed to write it, guarded by one mutex. Never destroyed: a static
// destructor that logs after it would write through a freed object.
struct LogState {
  std::mutex mutex;
  // No log until the configuration names one: a fixed path in a shared temporary directory is
  // one that any local user could plant a link at.
  std::string path;
  platform::AppendFile file;  // open on `path` from its first line
  // The last formatted time stamp and the second it stands for; kept when the local time
  // cannot be determined.
  std::time_t stampTime = -1;
  char stamp[50] = "";
};

LogState& state() {
  static LogState* const logState = new LogState;  // NOLINT(cppcoreguidelines-owning-memory)
  return *logState;
}

// Read on every call, outside the mutex.
std::atomic<bool> errorOn{false};
std::atomic<bool> warnOn{false};
std::atomic<bool> infoOn{false};
std::atomic<bool> debugOn{false};

void updateStamp(LogState* log) {
  const std::time_t now = std::time(nullptr);
  if (now == log->stampTime) return;
  std::tm local;
  if (!platform::localTime(now, &local)) return;
  log->stampTime = now;
  std::snprintf(log->stamp, sizeof log->stamp, "%04d-%02d-%02d %02d:%02d:%02d",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec);
}

// With the mutex held.
void usePath(LogState* log, const std::string& path) {
  if (path == log->path) return;
  log->file.close();
  log->path = path;
}

}  // namespace

void MessageLogger::setLevels(bool error, bool warn, bool info, bool debug) {
  errorOn = error;
  warnOn = warn;
  infoOn = info;
  debugOn = debug;
}

MessageLogger::Settings MessageLogger::settings() {
  Settings settings;
  settings.logFile = logFilePath();
  settings.error = errorOn;
  settings.warn = warnOn;
  settings.info = infoOn;
  settings.debug = debugOn;
  return settings;
}

void MessageLogger::configure(const Settings& settings) {
  setLogFile(settings.logFile);
  setLevels(settings.error, settings.warn, settings.info, settings.debug);
}

void MessageLogger::setLogFile(const std::string& path) {
  LogState& log = state();
  const std::lock_guard<std::mutex> lock(log.mutex);
  usePath(&log, path);
}

std::string MessageLogger::logFilePath() {
  LogState& log = state();
  const std::lock_guard<std::mutex> lock(log.mutex);
  return log.path;
}

bool MessageLogger::errorEnabled() { return errorOn; }
bool MessageLogger::warnEnabled() { return warnOn; }
bool MessageLogger::infoEnabled() { return infoOn; }
bool MessageLogger::debugEnabled() { return debugOn; }

void MessageLogger::warnOnce(const std::string& text) {
  static std::mutex mutex;
  static std::set<std::string> told;
  const std::lock_guard<std::mutex> lock(mutex);
  if (!told.insert(text).second) return;
  std::fprintf(stderr, "metalink: warning: %s\n", text.c_str());
  std::fflush(stderr);
}

void MessageLogger::write(const char* tag, const char* /*source*/, const std::string& message) {
  LogState& log = state();
  const std::lock_guard<std::mutex> lock(log.mutex);
  if (log.path.empty()) return;
  std::string error;
  // A file that the path no longer names was rotated or removed: whoever reads the log looks
  // at the path, so the lines go to a new file there.
  if (!log.file.stillNamedBy(log.path) && !log.file.open(log.path, &error)) {
    warnOnce("cannot write the log file " + log.path + " (" + error + "); going on without a log");
    return;
  }
  updateStamp(&log);
  std::string line;
  line.reserve(5 + 1 + 19 + 1 + message.size() + 1);
  line.append(tag).append(" ").append(log.stamp).append(" ").append(message).append("\n");
  if (!log.file.append(line.data(), line.size(), &error)) {
    warnOnce("cannot write the log file " + log.path + " (" + error + "); lines are lost");
    // Opened afresh for the next line, which may succeed where this one failed.
    log.file.close();
  }
}

void MessageLogger::closeFile() {
  LogState& log = state();
  const std::lock_guard<std::mutex> lock(log.mutex);
  log.file.close();
}

void MessageLogger::error(const char* source, const std::string& message) {
  if (errorOn) write(kErrorTag, source, message);
}

void MessageLogger::warn(const char* source, const std::string& message) {
  if (warnOn) write(kWarnTag, source, message);
}

void MessageLogger::info(const char* source, const std::string& message) {
  if (infoOn) write(kInfoTag, source, message);
}

void MessageLogger::debug(const char* source, const std::string& message) {
  if (debugOn) write(kDebugTag, source, message);
}
