#include "connector/properties_mgr.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/private_files.h"
#include "util/connector_util.h"

namespace {

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

}  // namespace

bool PropertiesMgr::load(const char* path, const char* commentMarker, const char* separator,
                         std::string* error) {
  properties_.clear();
  if (path == nullptr) return false;
  std::string why;
  FilePtr file(platform::openOwnFile(path, platform::OwnFileMode::kRead, &why), std::fclose);
  if (!file) {
    if (error != nullptr) *error = why;
    return false;
  }
  const std::string marker = commentMarker ? commentMarker : "";
  const std::string delimiters = separator ? separator : "";

  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, file.get()) != nullptr) {
    std::string line = buffer;
    const bool complete = !line.empty() && line.back() == '\n';
    if (complete) line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // An over-long line is handled as far as it was read and ends the reading.
    const bool truncated = !complete && !std::feof(file.get());

    if (!line.empty()) {
      const size_t first = line.find_first_not_of(' ');
      const bool comment = first != std::string::npos && !marker.empty() &&
                           line.compare(first, marker.size(), marker) == 0;
      if (!comment) {
        std::vector<std::string> tokens;
        ConnectorUtil::split(line, &tokens, delimiters);
        if (!tokens.empty()) {
          std::string key = tokens[0];
          ConnectorUtil::trimBlanks(key);
          std::string value;
          if (tokens.size() >= 2) {
            value = tokens[1];
            ConnectorUtil::trimBlanks(value);
          }
          addProperty(key, value);
        }
      }
    }
    if (truncated) break;
  }
  return true;
}

bool PropertiesMgr::save(const char* path, const char* separator, std::string* error) const {
  if (path == nullptr) return false;
  std::string why;
  FilePtr file(platform::openOwnFile(path, platform::OwnFileMode::kReplace, &why), std::fclose);
  if (!file) {
    if (error != nullptr) *error = why;
    return false;
  }
  const char* sep = separator ? separator : "";
  for (const auto& [key, value] : properties_) {
    std::fprintf(file.get(), "%s%s%s\n", key.c_str(), sep, value.c_str());
  }
  return std::fclose(file.release()) == 0;
}

std::string PropertiesMgr::getProperty(const char* key) const {
  if (key == nullptr) return std::string();
  const auto it = properties_.find(key);
  return it == properties_.end() ? std::string() : it->second;
}

bool PropertiesMgr::addProperty(const std::string& key, const std::string& value) {
  return properties_.emplace(key, value).second;
}

bool PropertiesMgr::removeProperty(const char* key) {
  if (key == nullptr) return false;
  properties_.erase(key);
  return true;
}
