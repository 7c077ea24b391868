#include "connector/odbc_con_base.h"

#include <cstdio>
#include <filesystem>

#include "adapter/odbc_command.h"
#include "connector/properties_mgr.h"
#include "platform/files.h"
#include "platform/private_files.h"
#include "util/connector_util.h"
#include "util/message_logger.h"

namespace {

constexpr const char* kSource = "ODBCConBase";
// The per-user directory that holds ODBCCon.ini and the default log when the temporary directory
// is shared by every user of the machine: <temp>/metalink-<uid>.
constexpr const char* kUserDirectoryPrefix = "metalink";

struct LevelFlags {
  const char* name;
  bool error, warn, info, debug;
};

constexpr LevelFlags kLevels[] = {
    {"ERROR", true, false, false, false},
    {"WARN", true, true, false, false},
    {"INFO", true, true, true, false},
    {"DEBUG", true, true, true, true},
};

void applyLevel(const LevelFlags& level) {
  MessageLogger::setLevels(level.error, level.warn, level.info, level.debug);
}

}  // namespace

CODBCConBase::CODBCConBase() : command_(std::make_unique<CODBCCommand>()) { setUpLog(); }

// The log stays open while the operation runs; a host between its calls holds no descriptor.
CODBCConBase::~CODBCConBase() { MessageLogger::closeFile(); }

void CODBCConBase::setLogFile(const std::string& path) {
  logFile_ = path;
  MessageLogger::setLogFile(path);
}

void CODBCConBase::setUpLog() {
  const std::string temp = platform::tempDirectory();
  if (!platform::isWritableDirectory(temp)) {
    std::fprintf(stderr, "metalink: the temporary directory %s cannot be used\n", temp.c_str());
    usable_ = false;
    return;
  }
  // The temporary directory belongs to one user where the design comes from; here it is often
  // /tmp, where anyone could plant a configuration or a link at the log's path.
  std::string dir, error;
  if (!platform::userDirectory(temp, kUserDirectoryPrefix, &dir, &error)) {
    MessageLogger::warnOnce(error + "; going on without ODBCCon.ini and without a log");
    logFile_.clear();
    logLevel_ = "info";
    MessageLogger::setLogFile(std::string());
    applyLevel(kLevels[2]);
    return;
  }
  const std::string iniPath = platform::joinPath(dir, "ODBCCon.ini");
  PropertiesMgr properties;
  // A missing file is the usual first run; one that exists and is refused is worth a word.
  std::error_code ignored;
  const bool refused = !properties.load(iniPath.c_str(), "#", "=", &error) &&
                       std::filesystem::exists(iniPath, ignored);
  if (refused) {
    MessageLogger::warnOnce("ODBCCon.ini is refused: " + iniPath + " (" + error +
                            "); the defaults apply");
  }
  bool changed = false;

  logFile_ = properties.getProperty("LogFile");
  platform::toNativePath(logFile_);
  if (logFile_.empty()) {
    logFile_ = platform::joinPath(dir, "ODBCCon.log");
    properties.removeProperty("LogFile");
    properties.addProperty("LogFile", logFile_);
    changed = true;
  }
  MessageLogger::setLogFile(logFile_);

  logLevel_ = properties.getProperty("LogLevel");
  const LevelFlags* level = nullptr;
  for (const auto& candidate : kLevels) {
    if (ConnectorUtil::equalsIgnoreAsciiCase(logLevel_, candidate.name)) {
      level = &candidate;
      break;
    }
  }
  if (level == nullptr) {
    logLevel_ = "info";
    properties.removeProperty("LogLevel");
    properties.addProperty("LogLevel", logLevel_);
    level = &kLevels[2];
    changed = true;
  }
  applyLevel(*level);
  // A value that is no whole number of seconds keeps the default; it is not written back.
  const std::string lockTimeout = properties.getProperty("LockTimeout");
  if (!lockTimeout.empty() && lockTimeout.find_first_not_of("0123456789") == std::string::npos &&
      lockTimeout.size() < 7) {
    lockTimeout_ = std::stoi(lockTimeout);
  }
  fastWrite_ = properties.getProperty("FastWrite") != "0";

  // Entries read from the file are written back as they stood; only defaults are added.
  if (changed && !refused && !properties.save(iniPath.c_str(), "=", &error)) {
    MessageLogger::warnOnce("cannot write " + iniPath + " (" + error + "); the defaults apply");
  }

  if (MessageLogger::debugEnabled()) {
    MessageLogger::debug(kSource, "The properties file is: " + iniPath);
    MessageLogger::debug(kSource, "The log file path is: " + logFile_);
    MessageLogger::debug(kSource, "The log level is: " + logLevel_);
  }
}
