#include "vmhost/class_path.h"

#include <algorithm>
#include <filesystem>

#include "platform/files.h"
#include "vmhost/message_sink.h"

namespace ecadbridge {
namespace {

// The Java paths are joined with '/' whatever the platform; only the list separator differs.
std::string javaPathJoin(const std::string& directory, const std::string& name) {
  return directory + "/" + name;
}

void appendListed(const std::vector<std::string>& entries, std::string* classPath) {
  for (const std::string& entry : entries) {
    if (entry.empty()) continue;
    classPath->push_back(platform::kPathListSeparator);
    classPath->append(entry);
  }
}

}  // namespace

std::vector<std::string> listFilesWithExtension(const std::string& directory,
                                                const std::string& extension) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(directory, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) continue;
    if (name.compare(dot + 1, std::string::npos, extension) != 0) continue;
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());

  std::vector<std::string> paths;
  for (const std::string& name : names) {
    std::string path = javaPathJoin(directory, name);
    if (path.size() > kMaxListedPath) continue;
    paths.push_back(std::move(path));
  }
  return paths;
}

void setJNIClassPath(std::string* classPath) {
  std::string root;
  if (!platform::getEnv("MVEDAECAD_ROOT", &root)) {
    showMessage("setJNIClassPath: MVEDAECAD_ROOT environment variable not set");
    return;
  }
  std::string dxsHome;
  if (!platform::getEnv("DXS_HOME", &dxsHome)) {
    showMessage("setJNIClassPath: DXS_HOME environment variable not set");
    return;
  }
  classPath->push_back(platform::kPathListSeparator);
  classPath->append(root);
  appendListed(listFilesWithExtension(root, "jar"), classPath);
  appendListed(listFilesWithExtension(dxsHome + "/jar", "jar"), classPath);
}

void appendFileServicePaths(std::string* libraryPath) {
  std::string dxsHome;
  if (!platform::getEnv("DXS_HOME", &dxsHome)) return;
  const char sep = platform::kPathListSeparator;
  *libraryPath += sep + dxsHome + "/bin" + sep + dxsHome + "/lib" + sep;
}

}  // namespace ecadbridge
