// POSIX implementation of the private files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/private_files.h"

namespace platform {
namespace {

std::string octalMode(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

std::string anotherUser(uid_t uid) {
  return "it belongs to another user (uid " + std::to_string(uid) + ")";
}

// Why an open file is not a regular file of the calling user; empty when it is.
std::string notOwnRegularFile(int fd, struct stat* st) {
  if (::fstat(fd, st) != 0) return std::strerror(errno);
  if (!S_ISREG(st->st_mode)) return "it is not a regular file";
  if (st->st_uid != ::geteuid()) return anotherUser(st->st_uid);
  return std::string();
}

}  // namespace

bool isSharedDirectory(const std::string& dir) {
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) return true;
  return st.st_uid != ::geteuid() && st.st_uid != 0;
}

bool isInSharedDirectory(const std::string& path) {
  const size_t slash = path.find_last_of(kPathSeparator);
  if (slash == std::string::npos) return isSharedDirectory(".");
  return isSharedDirectory(slash == 0 ? path.substr(0, 1) : path.substr(0, slash));
}

bool userDirectory(const std::string& tempDir, const std::string& prefix, std::string* dir,
                   std::string* error) {
  if (!isSharedDirectory(tempDir)) {
    *dir = tempDir;
    return true;
  }
  const uid_t uid = ::geteuid();
  const std::string path = joinPath(tempDir, prefix + "-" + std::to_string(uid));
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    *error = "cannot make the directory " + path + ": " + std::strerror(errno);
    return false;
  }
  // Whoever made it, it must be ours and closed to everyone else now.
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) {
    *error = "cannot examine the directory " + path + ": " + std::strerror(errno);
    return false;
  }
  std::string why;
  if (S_ISLNK(st.st_mode)) {
    why = "it is a symbolic link";
  } else if (!S_ISDIR(st.st_mode)) {
    why = "it is not a directory";
  } else if (st.st_uid != uid) {
    why = anotherUser(st.st_uid);
  } else if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    why = "other users may use it (mode " + octalMode(st.st_mode) + ")";
  }
  if (!why.empty()) {
    *error = "the directory " + path + " is refused: " + why;
    return false;
  }
  *dir = path;
  return true;
}

int openOwnFileDescriptor(const std::string& path, OwnFileMode mode, std::string* error) {
  // Non-blocking, so that a FIFO planted at the path cannot hold the process up before it is
  // examined and refused.
  int flags = O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  switch (mode) {
    case OwnFileMode::kRead:
      flags |= O_RDONLY;
      break;
    case OwnFileMode::kAppend:
      flags |= O_WRONLY | O_APPEND | O_CREAT;
      break;
    case OwnFileMode::kReplace:
      flags |= O_WRONLY | O_CREAT;  // emptied only once it has been found to be ours
      break;
  }
  const int fd = ::open(path.c_str(), flags, 0600);
  if (fd < 0) {
    // The kernel may refuse a planted link or file in a sticky directory before O_NOFOLLOW
    // does; say what is there rather than "Permission denied".
    const int failure = errno;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      *error = "it is a symbolic link";
    } else if (failure == EACCES && ::lstat(path.c_str(), &st) == 0 && st.st_uid != ::geteuid()) {
      *error = anotherUser(st.st_uid);
    } else {
      *error = std::strerror(failure);
    }
    return -1;
  }
  struct stat st;
  std::string why = notOwnRegularFile(fd, &st);
  if (why.empty() && st.st_nlink > 1) {
    // A hard link another user made to one of our files would pass the owner test.
    why = "it has more than one name (hard links)";
  }
  if (why.empty() && (::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
                      (mode == OwnFileMode::kReplace && ::ftruncate(fd, 0) != 0))) {
    why = std::strerror(errno);
  }
  if (!why.empty()) {
    ::close(fd);
    *error = why;
    return -1;
  }
  return fd;
}

std::FILE* openOwnFile(const std::string& path, OwnFileMode mode, std::string* error) {
  const int fd = openOwnFileDescriptor(path, mode, error);
  if (fd < 0) return nullptr;
  const char* how = mode == OwnFileMode::kRead ? "r" : mode == OwnFileMode::kAppend ? "a" : "w";
  std::FILE* file = ::fdopen(fd, how);
  if (file == nullptr) {
    *error = std::strerror(errno);
    ::close(fd);
  }
  return file;
}

bool readSecretFile(const std::string& path, std::string* content, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    *error = std::strerror(errno);
    return false;
  }
  struct stat st;
  std::string why = notOwnRegularFile(fd, &st);
  if (why.empty() && (st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    why = "other users can read or change it (mode " + octalMode(st.st_mode) +
          "); only its owner may (chmod 600)";
  }
  constexpr size_t kLimit = 64 * 1024;
  content->clear();
  char buffer[4096];
  while (why.empty()) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) why = std::strerror(errno);
    if (n <= 0) break;
    content->append(buffer, static_cast<size_t>(n));
    if (content->size() > kLimit) why = "it is too large for a secret";
  }
  ::close(fd);
  if (!why.empty()) {
    content->clear();
    *error = why;
    return false;
  }
  return true;
}

}  // namespace platform
