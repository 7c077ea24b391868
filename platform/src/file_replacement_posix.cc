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

// Links followed before a loop is assumed; the kernel's own limit.
constexpr int kMaxLinks = 40;

std::string systemReason(int code) { return std::strerror(code); }

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// What the type of a file that is not replaced is called in a message.
const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

std::string refusal(const std::string& path, mode_t mode) {
  return "the path " + path + " is " + kindOf(mode) + ", not a regular file; it is left as it is";
}

// Finds the file to replace: `path`, or under kFollow the file its links lead to.
bool resolveTarget(const std::string& path, LinkPolicy links, std::string* target,
                   std::string* error) {
  std::string current = path;
  struct stat st;
  struct stat* status = &st;
  for (int followed = 0;; ++followed) {
    if (::lstat(current.c_str(), status) != 0) {
      if (errno != ENOENT) {
        *error = "the path " + current + " cannot be examined: " + systemReason(errno);
        return false;
      }
      *target = current;
      return true;
    }
    if (!S_ISLNK(status->st_mode) || links == LinkPolicy::kReplaceLink) break;
    if (followed == kMaxLinks) {
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
  if (!S_ISREG(status->st_mode) && !S_ISLNK(status->st_mode)) {
    *error = refusal(current, status->st_mode);
    return false;
  }
  *target = current;
  return true;
}

// A name beside the target that no other process or thread picks at the same time; the target's
// name is cut short enough that the temporary name stays within the file system's name limit.
std::string temporaryName(const std::string& target, std::mt19937_64* random) {
  const std::string dir = directoryOf(target);
  const size_t slash = target.rfind('/');
  const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 200);
  static const char kDigits[] = "0123456789abcdef";
  std::string suffix(12, '0');
  for (char& c : suffix) c = kDigits[(*random)() % 16];
  return dir + "/." + base + "." + suffix + ".tmp";
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

FileReplacement::~FileReplacement() { Abandon(); }

bool FileReplacement::Begin(const std::string& path, LinkPolicy links, std::string* error) {
  Abandon();
  error->clear();
  if (path.empty()) {
    *error = "the path is empty";
    return false;
  }
  std::string target;
  if (!resolveTarget(path, links, &target, error)) return false;

  thread_local std::mt19937_64 random(std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = temporaryName(target, &random);
    // The mode asked for is 0666 so the process's umask decides, as for any new file; O_EXCL
    // never opens what another process (or a planted link) put under this name.
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) {
      *error =
          "no temporary file can be created in " + directoryOf(target) + ": " + systemReason(errno);
      return false;
    }
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
      *error =
          "no temporary file can be opened in " + directoryOf(target) + ": " + systemReason(errno);
      ::close(fd);
      ::unlink(name.c_str());
      return false;
    }
    links_ = links;
    target_ = target;
    temporary_ = name;
    return true;
  }
  *error = "no unique temporary file name is free in " + directoryOf(target);
  return false;
}

bool FileReplacement::Commit(std::string* error) {
  if (file_ == nullptr) {
    *error = "nothing was begun to put at " + target_;
    return false;
  }
  // The mode is given last: a writer that opens the temporary path itself must still be able to.
  struct stat now;
  const bool replacing = ::lstat(target_.c_str(), &now) == 0;
  if (replacing && S_ISREG(now.st_mode)) keepOwnershipAndMode(::fileno(file_), now);
  bool ok = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
  if (!ok) *error = "the file " + temporary_ + " cannot be flushed to disk: " + systemReason(errno);
  if (std::fclose(file_) != 0 && ok) {
    *error = "the file " + temporary_ + " cannot be closed: " + systemReason(errno);
    ok = false;
  }
  file_ = nullptr;
  // Something other than a file may have appeared at the path since Begin.
  if (ok && replacing && !S_ISREG(now.st_mode) &&
      !(S_ISLNK(now.st_mode) && links_ == LinkPolicy::kReplaceLink)) {
    *error = S_ISLNK(now.st_mode)
                 ? "a symbolic link appeared at " + target_ + "; it is left as it is"
                 : refusal(target_, now.st_mode);
    ok = false;
  }
  if (ok && ::rename(temporary_.c_str(), target_.c_str()) != 0) {
    *error = "the file " + target_ + " cannot be replaced: " + systemReason(errno);
    ok = false;
  }
  if (!ok) {
    Abandon();
    return false;
  }
  temporary_.clear();
  return syncDirectory(directoryOf(target_), error);
}

void FileReplacement::Abandon() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace platform
