#include "connector_environment.h"

#include <stdlib.h>

#include "connector/progress.h"
#include "log_capture.h"
#include "util/message_logger.h"

namespace edatest {

ConnectorEnvironment::ConnectorEnvironment() : dir_(scratch_.path()) {
  const char* temp = getenv("TEMP");
  hadTemp_ = temp != nullptr;
  if (hadTemp_) savedTemp_ = temp;
  setenv("TEMP", dir_.c_str(), 1);
  savedLog_ = MessageLogger::settings();
}

ConnectorEnvironment::~ConnectorEnvironment() {
  if (hadTemp_) {
    setenv("TEMP", savedTemp_.c_str(), 1);
  } else {
    unsetenv("TEMP");
  }
  MessageLogger::configure(savedLog_);
  metalink::setProgressHandler(nullptr, nullptr);
}

void ConnectorEnvironment::writeIni(const std::string& text) const { writeFile(iniPath(), text); }

std::vector<std::string> ConnectorEnvironment::messages(const std::string& logFile,
                                                        const std::string& tag) {
  return logMessages(logFile, tag);
}

}  // namespace edatest
