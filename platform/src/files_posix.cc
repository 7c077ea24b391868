// POSIX implementation of the file system services.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"

namespace platform {

bool getEnv(const char* name, std::string* value) {
  const char* v = std::getenv(name);
  if (v == nullptr) return false;
  *value = v;
  return true;
}

std::string tempDirectory() {
  std::string dir;
  if ((!getEnv("TEMP", &dir) || dir.empty()) && (!getEnv("TMPDIR", &dir) || dir.empty())) {
    dir = "/tmp";
  }
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

void toNativePath(std::string& path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    if (c == '\\') c = '/';
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out.push_back(c);
  }
  path.swap(out);
}

std::string joinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == kPathSeparator) return dir + name;
  return dir + kPathSeparator + name;
}

bool isWritableDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(path.c_str(), W_OK) == 0;
}

std::FILE* createTemporaryFile(const std::string& dir, const std::string& prefix, std::string* path,
                               std::string* error) {
  std::string pattern = joinPath(dir, prefix + "XXXXXX");
  const int fd = ::mkstemp(pattern.data());
  std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "w+b");
  if (file == nullptr) {
    *error = std::strerror(errno);
    if (fd >= 0) {
      ::close(fd);
      ::unlink(pattern.c_str());
    }
    return nullptr;
  }
  *path = pattern;
  return file;
}

}  // namespace platform
