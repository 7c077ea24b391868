// A file that whole lines are appended to while it stays open, shared with other writers.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Owns one descriptor opened for appending (see openOwnFileDescriptor: no links followed, the
// calling user's own regular file, made with mode 0600). Each append is one write at the file's
// end at that moment, so lines of other processes appending to the same file never interleave
// with it, and a line handed over is in the operating system's hands when append returns: a
// crash of the process loses none. Not thread-safe: the owner serialises calls.
class AppendFile {
 public:
  AppendFile() = default;
  ~AppendFile() { close(); }
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Closes what is open, then opens `path`. False, with `error` saying why, when it is refused.
  bool open(const std::string& path, std::string* error);
  void close();
  bool isOpen() const { return fd_ >= 0; }

  // Appends `size` bytes with one write (more only when the system takes part of them, as on a
  // full disk). False, with `error` set, when they could not all be written.
  bool append(const char* data, size_t size, std::string* error);

  // True when `path` still names the open file: false once the file was removed, renamed away
  // or replaced by another (log rotation), or when nothing is open.
  bool stillNamedBy(const std::string& path) const;

 private:
  int fd_ = -1;
};

}  // namespace platform
