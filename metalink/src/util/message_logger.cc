#include "util/message_logger.h"

#include <cstdio>
#include <ctime>

#include "platform/clock.h"

#ifdef _WIN32
std::string MessageLogger::logFilePath = "c:\\temp\\connector.log";
#else
std::string MessageLogger::logFilePath = "/tmp/connector.log";
#endif
bool MessageLogger::errorEnabled = false;
bool MessageLogger::warnEnabled = false;
bool MessageLogger::infoEnabled = false;
bool MessageLogger::debugEnabled = false;

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

void MessageLogger::write(const char* tag, const char* /*source*/, const std::string& message) {
  updateTimeText();
  std::FILE* file = std::fopen(logFilePath.c_str(), "a");
  if (file == nullptr) {
    std::printf("fail to open the log file: %s", logFilePath.c_str());
    std::fflush(stdout);
    return;
  }
  std::fprintf(file, "%s %s %s\n", tag, timeText, message.c_str());
  std::fclose(file);
}

void MessageLogger::error(const char* source, const std::string& message) {
  if (errorEnabled) write(kErrorTag, source, message);
}

void MessageLogger::warn(const char* source, const std::string& message) {
  if (warnEnabled) write(kWarnTag, source, message);
}

void MessageLogger::info(const char* source, const std::string& message) {
  if (infoEnabled) write(kInfoTag, source, message);
}

void MessageLogger::debug(const char* source, const std::string& message) {
  if (debugEnabled) write(kDebugTag, source, message);
}
