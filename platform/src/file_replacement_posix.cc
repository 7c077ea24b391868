// POSIX implementation of FileReplacement.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/file_replacement.h"

namespace platform {
namespace {

std::string systemError(const std::string& what, int error) {
  return what + ": " + std::strerror(error);
}

// Why the entry at `path` may not be replaced; empty when it may (or when there is none).
std::string refusal(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return std::string();
  if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) return std::string();
  if (S_ISDIR(info.st_mode)) return path + " is a directory";
  return path + " is not a regular file";
}

// A name for the temporary file beside `path`; the final name is kept short enough that the
// temporary name stays within the file system's name limit.
std::string temporaryName(const std::string& path, std::mt19937_64* random) {
  const size_t slash = path.find_last_of('/');
  const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string base = path.substr(dir.size()).substr(0, 200);
  static const char kDigits[] = "0123456789abcdef";
  std::string suffix(12, '0');
  for (char& c : suffix) c = kDigits[(*random)() % 16];
  return dir + "." + base + "." + suffix + ".tmp";
}

}  // namespace

FileReplacement::~FileReplacement() { Abandon(); }

bool FileReplacement::Begin(const std::string& path, std::string* error) {
  Abandon();
  const std::string refused = refusal(path);
  if (!refused.empty()) {
    *error = "Cannot replace " + refused;
    return false;
  }
  thread_local std::mt19937_64 random(std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = temporaryName(path, &random);
    // O_EXCL never opens what another process (or a planted link) put under this name.
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) {
      *error = systemError("Cannot create a file beside " + path, errno);
      return false;
    }
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
      *error = systemError("Cannot create a file beside " + path, errno);
      ::close(fd);
      ::unlink(name.c_str());
      return false;
    }
    path_ = path;
    temporary_ = name;
    return true;
  }
  *error = "Cannot create a file beside " + path + ": every temporary name is taken";
  return false;
}

bool FileReplacement::Commit(std::string* error) {
  if (file_ == nullptr) {
    *error = "Nothing to put at " + path_;
    return false;
  }
  const bool closed = std::fclose(file_) == 0;
  const int closeError = errno;
  file_ = nullptr;
  if (!closed) {
    *error = systemError("Cannot write " + path_, closeError);
    Abandon();
    return false;
  }
  // Something may have appeared at the path since Begin.
  const std::string refused = refusal(path_);
  if (!refused.empty()) {
    *error = "Cannot replace " + refused;
    Abandon();
    return false;
  }
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
    *error = systemError("Cannot put the new file at " + path_, errno);
    Abandon();
    return false;
  }
  temporary_.clear();
  return true;
}

void FileReplacement::Abandon() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace platform
