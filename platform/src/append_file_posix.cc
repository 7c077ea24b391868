// POSIX implementation of the append-only file.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/append_file.h"
#include "platform/private_files.h"

namespace platform {

bool AppendFile::open(const std::string& path, std::string* error) {
  close();
  fd_ = openOwnFileDescriptor(path, OwnFileMode::kAppend, error);
  return fd_ >= 0;
}

void AppendFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool AppendFile::append(const char* data, size_t size, std::string* error) {
  if (fd_ < 0) {
    *error = "the file is not open";
    return false;
  }
  while (size > 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      *error = written < 0 ? std::strerror(errno) : "nothing was written";
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool AppendFile::stillNamedBy(const std::string& path) const {
  if (fd_ < 0) return false;
  struct stat open;
  struct stat named;
  // lstat: a link put in the file's place names another file, whatever it points at.
  if (::fstat(fd_, &open) != 0 || ::lstat(path.c_str(), &named) != 0) return false;
  return open.st_dev == named.st_dev && open.st_ino == named.st_ino && open.st_nlink > 0;
}

}  // namespace platform
