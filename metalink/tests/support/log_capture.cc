#include "log_capture.h"

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <filesystem>

#include "platform/files.h"
#include "util/message_logger.h"

namespace edatest {

LogCapture::LogCapture() {
  std::string pattern = platform::joinPath(platform::tempDirectory(), "eda-log-XXXXXX");
  const int fd = mkstemp(pattern.data());
  if (fd >= 0) close(fd);
  path_ = pattern;
  savedPath_ = MessageLogger::logFilePath;
  saved_[0] = MessageLogger::errorEnabled;
  saved_[1] = MessageLogger::warnEnabled;
  saved_[2] = MessageLogger::infoEnabled;
  saved_[3] = MessageLogger::debugEnabled;
  MessageLogger::logFilePath = path_;
  MessageLogger::errorEnabled = MessageLogger::warnEnabled = MessageLogger::infoEnabled = true;
  MessageLogger::debugEnabled = true;
}

LogCapture::~LogCapture() {
  MessageLogger::logFilePath = savedPath_;
  MessageLogger::errorEnabled = saved_[0];
  MessageLogger::warnEnabled = saved_[1];
  MessageLogger::infoEnabled = saved_[2];
  MessageLogger::debugEnabled = saved_[3];
  std::filesystem::remove(path_);
}

std::vector<std::string> LogCapture::lines() const {
  std::ifstream in(path_);
  std::vector<std::string> out;
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::vector<std::string> LogCapture::messages(const std::string& tag) const {
  // "<tag> YYYY-MM-DD hh:mm:ss <message>"
  constexpr size_t kPrefix = 5 + 1 + 19 + 1;
  std::vector<std::string> out;
  for (const std::string& line : lines()) {
    if (line.size() >= kPrefix && line.compare(0, tag.size(), tag) == 0) {
      out.push_back(line.substr(kPrefix));
    }
  }
  return out;
}

void LogCapture::clear() const { std::ofstream truncate(path_, std::ios::trunc); }

}  // namespace edatest
