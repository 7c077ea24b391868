#include "connector_environment.h"

#include "connector/progress.h"
#include "log_capture.h"
#include "util/message_logger.h"

namespace edatest {

ConnectorEnvironment::ConnectorEnvironment() : dir_(scratch_.path()) {}

ConnectorEnvironment::~ConnectorEnvironment() {
  MessageLogger::configure(savedLog_);
  metalink::setProgressHandler(nullptr, nullptr);
}

void ConnectorEnvironment::writeIni(const std::string& text) const { writeFile(iniPath(), text); }

std::vector<std::string> ConnectorEnvironment::messages(const std::string& logFile,
                                                        const std::string& tag) {
  return logMessages(logFile, tag);
}

}  // namespace edatest
