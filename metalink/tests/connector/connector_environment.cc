#include "connector_environment.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "connector/progress.h"
#include "util/message_logger.h"

namespace edatest {

ConnectorEnvironment::ConnectorEnvironment() {
  const char* temp = getenv("TEMP");
  hadTemp_ = temp != nullptr;
  if (hadTemp_) savedTemp_ = temp;
  std::string pattern = (std::filesystem::temp_directory_path() / "eda-conn-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
  setenv("TEMP", dir_.c_str(), 1);
  savedLogPath_ = MessageLogger::logFilePath;
  savedFlags_[0] = MessageLogger::errorEnabled;
  savedFlags_[1] = MessageLogger::warnEnabled;
  savedFlags_[2] = MessageLogger::infoEnabled;
  savedFlags_[3] = MessageLogger::debugEnabled;
}

ConnectorEnvironment::~ConnectorEnvironment() {
  if (hadTemp_) {
    setenv("TEMP", savedTemp_.c_str(), 1);
  } else {
    unsetenv("TEMP");
  }
  MessageLogger::logFilePath = savedLogPath_;
  MessageLogger::errorEnabled = savedFlags_[0];
  MessageLogger::warnEnabled = savedFlags_[1];
  MessageLogger::infoEnabled = savedFlags_[2];
  MessageLogger::debugEnabled = savedFlags_[3];
  metalink::setProgressHandler(nullptr, nullptr);
  std::error_code ignored;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

void ConnectorEnvironment::writeIni(const std::string& text) const { writeFile(iniPath(), text); }

std::vector<std::string> ConnectorEnvironment::messages(const std::string& logFile,
                                                        const std::string& tag) {
  // "<tag> YYYY-MM-DD hh:mm:ss <message>"
  constexpr size_t kPrefix = 5 + 1 + 19 + 1;
  std::ifstream in(logFile);
  std::vector<std::string> out;
  for (std::string line; std::getline(in, line);) {
    if (line.size() >= kPrefix && line.compare(0, tag.size(), tag) == 0) {
      out.push_back(line.substr(kPrefix));
    }
  }
  return out;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

}  // namespace edatest
