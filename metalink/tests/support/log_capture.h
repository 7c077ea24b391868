// Sends the connector log to a temporary file with every level on, for the life of the object,
// and reads it back.
#pragma once

#include <string>
#include <vector>

namespace edatest {

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
  std::string path_;
  std::string savedPath_;
  bool saved_[4];
};

}  // namespace edatest
