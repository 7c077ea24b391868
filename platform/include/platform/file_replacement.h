// Replacing a file with a complete new one, never leaving half a file at its path.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// What a symbolic link at the path means for the replacement.
enum class LinkPolicy {
  // The link is followed to the file it names, which is replaced; the link stays. A user's
  // library file kept behind a link keeps working.
  kFollow,
  // The link itself is replaced by a regular file and what it names is never touched: a link
  // planted where a file goes cannot redirect the write.
  kReplaceLink,
};

// The new content is written to a temporary file beside the target (through file(), or by a
// writer that opens temporaryPath() itself), and Commit puts it in place with one rename once it
// is on disk. Directories, FIFOs, devices and sockets are refused, before and at the commit. A
// replaced file keeps its mode, and its owner and group where the process may set them.
class FileReplacement {
 public:
  FileReplacement() = default;
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;
  ~FileReplacement();  // abandons a replacement that was not committed

  bool Begin(const std::string& path, LinkPolicy links, std::string* error);
  std::FILE* file() const { return file_; }
  const std::string& temporaryPath() const { return temporary_; }
  // False, with the reason, when the data cannot be flushed or put in place; the old file stays.
  bool Commit(std::string* error);
  void Abandon();

 private:
  std::FILE* file_ = nullptr;
  LinkPolicy links_ = LinkPolicy::kFollow;
  std::string target_;  // the file that is replaced, links resolved under kFollow
  std::string temporary_;
};

}  // namespace platform
