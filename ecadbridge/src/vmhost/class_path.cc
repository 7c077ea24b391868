#include "vmhost/class_path.h"

#include <algorithm>

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
  std::vector<platform::DirectoryEntry> entries;
  std::vector<std::string> names;
  if (!platform::listDirectory(directory, &entries)) return names;
  for (const platform::DirectoryEntry& entry : entries) {
    const size_t dot = entry.name.rfind('.');
    if (dot == std::string::npos) continue;
    if (entry.name.compare(dot + 1, std::string::npos, extension) != 0) continue;
    names.push_back(entry.name);
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
