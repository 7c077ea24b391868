// Sends the connector log to a temporary file with every level on, for the life of the object,
// and reads it back.
#pragma once

#include <string>
#include <vector>

#include "testsupport/temp_dir.h"
#include "util/message_logger.h"

namespace edatest {

// The messages of the lines of the log file `path` with this five-character tag ("ERROR",
// "INFO " ...), without the tag and time stamp; every message when the tag is empty.
std::vector<std::string> logMessages(const std::string& path, const std::string& tag);

class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<std::string> lines() const;
  // The messages of the lines with this five-character tag ("ERROR", "INFO " ...), without the
  // tag and time stamp.
  std::vector<std::string> messages(const std::string& tag) const;
  void clear() const;

 private:
  testsupport::TempDir scratch_{"eda-log"};
  std::string path_;
  MessageLogger::Settings saved_;
};

}  // namespace edatest
