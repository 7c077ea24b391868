#include "log_capture.h"

#include <fstream>

#include "util/message_logger.h"

namespace edatest {

std::vector<std::string> logMessages(const std::string& path, const std::string& tag) {
  // "<tag> YYYY-MM-DD hh:mm:ss <message>"
  constexpr size_t kPrefix = 5 + 1 + 19 + 1;
  std::ifstream in(path);
  std::vector<std::string> out;
  for (std::string line; std::getline(in, line);) {
    if (line.size() >= kPrefix && line.compare(0, tag.size(), tag) == 0) {
      out.push_back(line.substr(kPrefix));
    }
  }
  return out;
}

LogCapture::LogCapture() : path_(scratch_.sub("connector.log")) {
  saved_ = MessageLogger::settings();
  MessageLogger::configure({path_, true, true, true, true});
}

LogCapture::~LogCapture() { MessageLogger::configure(saved_); }

std::vector<std::string> LogCapture::lines() const {
  std::ifstream in(path_);
  std::vector<std::string> out;
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::vector<std::string> LogCapture::messages(const std::string& tag) const {
  return logMessages(path_, tag);
}

void LogCapture::clear() const { std::ofstream truncate(path_, std::ios::trunc); }

}  // namespace edatest
