// POSIX implementation of the atomic file replacement.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/replace_file.h"

namespace platform {
namespace {

// Links followed before a loop is assumed; the kernel's own limit.
constexpr int kMaxLinks = 40;

std::string systemReason(int code) { return std::strerror(code); }

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What the type of a non-regular file is called in a message.
const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

// Follows symbolic links from `path` to the file that is to be replaced. `*exists` tells whether
// that file exists; `*status` holds its status when it does.
bool resolveTarget(const std::string& path, std::string* target, bool* exists, struct stat* status,
                   std::string* error) {
  std::string current = path;
  for (int links = 0;; ++links) {
    if (::lstat(current.c_str(), status) != 0) {
      if (errno == ENOENT) {
        *exists = false;
        *target = current;
        return true;
      }
      *error = "the path " + current + " cannot be examined: " + systemReason(errno);
      return false;
    }
    if (!S_ISLNK(status->st_mode)) break;
    if (links == kMaxLinks) {
      *error = "the path " + path + " has too many levels of symbolic links";
      return false;
    }
    std::string link(static_cast<size_t>(status->st_size > 0 ? status->st_size : 255) + 1, '\0');
    const ssize_t n = ::readlink(current.c_str(), &link[0], link.size());
    if (n < 0 || static_cast<size_t>(n) >= link.size()) {
      *error = "the symbolic link " + current + " cannot be read";
      return false;
    }
    link.resize(static_cast<size_t>(n));
    current = (!link.empty() && link[0] == '/') ? link : directoryOf(current) + "/" + link;
  }
  if (!S_ISREG(status->st_mode)) {
    *error = "the path " + current + " is " + kindOf(status->st_mode) +
             ", not a regular file; it is left as it is";
    return false;
  }
  *exists = true;
  *target = current;
  return true;
}

// Creates the temporary file next to the target, with a name no other process or thread picks
// at the same time. The mode asked for is 0666 so the process's umask decides, as for any file.
int createTemporary(const std::string& target, std::string* temporary, std::string* error) {
  static std::atomic<unsigned> counter{0};
  const std::string stem = directoryOf(target) + "/." + baseNameOf(target) + ".tmp-" +
                           std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    *temporary = stem + std::to_string(counter.fetch_add(1)) + "-" +
                 std::to_string(static_cast<unsigned long long>(tick) % 1000000007ULL);
    const int fd = ::open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST) {
      *error = "no temporary file can be created in " + directoryOf(target) + ": " +
               systemReason(errno);
      return -1;
    }
  }
  *error = "no unique temporary file name is free in " + directoryOf(target);
  return -1;
}

// Gives the new file the old one's owner, group and mode. Owner and group are kept only where
// the process may set them; the mode after them, because a change of owner clears set-id bits.
void keepOwnershipAndMode(int fd, const struct stat& old) {
  if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
    (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
  }
  (void)::fchmod(fd, old.st_mode & 07777);
}

// A directory that cannot be flushed on this file system (EINVAL) is no failure: the rename is
// as durable as that file system makes it.
bool syncDirectory(const std::string& directory, std::string* error) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
  if (!ok) *error = "the directory " + directory + " cannot be flushed: " + systemReason(errno);
  ::close(fd);
  return ok;
}

}  // namespace

bool replaceFileAtomically(const std::string& path,
                           const std::function<bool(const std::string& temporaryPath,
                                                    std::string* error)>& write,
                           std::string* error) {
  error->clear();
  if (path.empty()) {
    *error = "the path is empty";
    return false;
  }
  std::string target;
  bool exists = false;
  struct stat old;
  if (!resolveTarget(path, &target, &exists, &old, error)) return false;

  std::string temporary;
  const int fd = createTemporary(target, &temporary, error);
  if (fd < 0) return false;

  bool ok = write(temporary, error);
  if (ok) error->clear();
  if (ok && ::fsync(fd) != 0) {
    *error = "the file " + temporary + " cannot be flushed to disk: " + systemReason(errno);
    ok = false;
  }
  if (ok && exists) keepOwnershipAndMode(fd, old);
  if (::close(fd) != 0 && ok) {
    *error = "the file " + temporary + " cannot be closed: " + systemReason(errno);
    ok = false;
  }
  if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
    *error = "the file " + target + " cannot be replaced: " + systemReason(errno);
    ok = false;
  }
  if (!ok) {
    if (error->empty()) *error = "the new content of " + target + " could not be written";
    ::unlink(temporary.c_str());
    return false;
  }
  return syncDirectory(directoryOf(target), error);
}

}  // namespace platform
