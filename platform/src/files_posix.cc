// POSIX implementation of the file system services.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

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

bool pathExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

bool isDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool makeDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool changeDirectory(const std::string& path) { return ::chdir(path.c_str()) == 0; }

bool listDirectory(const std::string& path, std::vector<DirectoryEntry>* entries) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), ::closedir);
  if (!dir) return false;
  while (struct dirent* e = ::readdir(dir.get())) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    DirectoryEntry entry;
    entry.name = name;
    if (e->d_type == DT_DIR) {
      entry.isDirectory = true;
    } else if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      entry.isDirectory = isDirectory(joinPath(path, name));
    }
    entries->push_back(std::move(entry));
  }
  return true;
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

bool copyFile(const std::string& from, const std::string& to) {
  std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(from.c_str(), "rb"), std::fclose);
  if (!in) return false;
  std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(to.c_str(), "wb"), std::fclose);
  if (!out) return false;
  char buffer[64 * 1024];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) {
    if (std::fwrite(buffer, 1, n, out.get()) != n) return false;
  }
  if (std::ferror(in.get())) return false;
  return std::fclose(out.release()) == 0;
}

}  // namespace platform
