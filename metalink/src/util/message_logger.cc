#include "util/message_logger.h"

#include <cstdio>
#include <ctime>
#include <set>

#include "platform/clock.h"
#include "platform/private_files.h"

// No log until the configuration names one: a fixed path in a shared temporary directory is one
// that any local user could plant a link at.
MessageLogger::Settings MessageLogger::settings_;

void MessageLogger::setLevels(bool error, bool warn, bool info, bool debug) {
  settings_.error = error;
  settings_.warn = warn;
  settings_.info = info;
  settings_.debug = debug;
}

namespace {

// The last formatted time stamp; kept when the local time cannot be determined.
char timeText[50] = "";

void updateTimeText() {
  std::tm local;
  if (!platform::localTime(std::time(nullptr), &local)) return;
  std::snprintf(timeText, sizeof timeText, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

}  // namespace

void MessageLogger::warnOnce(const std::string& text) {
  static std::set<std::string> told;
  if (!told.insert(text).second) return;
  std::fprintf(stderr, "metalink: warning: %s\n", text.c_str());
  std::fflush(stderr);
}

void MessageLogger::write(const char* tag, const char* /*source*/, const std::string& message) {
  if (settings_.logFile.empty()) return;
  updateTimeText();
  std::string error;
  std::FILE* file =
      platform::openOwnFile(settings_.logFile, platform::OwnFileMode::kAppend, &error);
  if (file == nullptr) {
    warnOnce("cannot write the log file " + settings_.logFile + " (" + error +
             "); going on without a log");
    return;
  }
  std::fprintf(file, "%s %s %s\n", tag, timeText, message.c_str());
  std::fclose(file);
}

void MessageLogger::error(const char* source, const std::string& message) {
  if (settings_.error) write(kErrorTag, source, message);
}

void MessageLogger::warn(const char* source, const std::string& message) {
  if (settings_.warn) write(kWarnTag, source, message);
}

void MessageLogger::info(const char* source, const std::string& message) {
  if (settings_.info) write(kInfoTag, source, message);
}

void MessageLogger::debug(const char* source, const std::string& message) {
  if (settings_.debug) write(kDebugTag, source, message);
}
