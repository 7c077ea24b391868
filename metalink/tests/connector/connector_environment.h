// A private temporary directory for connector tests: TEMP points at it for the life of the
// object (the connector keeps ODBCCon.ini and its default log there), and TEMP, the process-wide
// log settings and the progress hook are put back afterwards.
#pragma once

#include <string>
#include <vector>

#include "testsupport/scoped_env.h"
#include "testsupport/temp_dir.h"
#include "util/message_logger.h"

namespace edatest {

class ConnectorEnvironment {
 public:
  ConnectorEnvironment();
  ~ConnectorEnvironment();
  ConnectorEnvironment(const ConnectorEnvironment&) = delete;
  ConnectorEnvironment& operator=(const ConnectorEnvironment&) = delete;

  const std::string& dir() const { return dir_; }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  std::string iniPath() const { return path("ODBCCon.ini"); }
  std::string defaultLogPath() const { return path("ODBCCon.log"); }

  // Replaces ODBCCon.ini by `text`.
  void writeIni(const std::string& text) const;

  // The messages of the lines of `logFile` with this five-character tag ("ERROR", "INFO ")
  // without tag and time stamp; every message when the tag is empty.
  static std::vector<std::string> messages(const std::string& logFile, const std::string& tag);

 private:
  testsupport::TempDir scratch_{"eda-conn"};
  std::string dir_;
  testsupport::ScopedEnv temp_{"TEMP", dir_.c_str()};
  MessageLogger::Settings savedLog_ = MessageLogger::settings();
};

using testsupport::readFile;
using testsupport::writeFile;

}  // namespace edatest
