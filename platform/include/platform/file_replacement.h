// A new file that takes the place of a path only once it is complete.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Writes a file under a temporary name in the directory of its final path and renames it over
// that path at Commit, so the path never shows half a file and a failed write leaves what was
// there before. What the path names is replaced, never written through: a symbolic link is
// replaced by the new file (the file it points to is not touched), and a hard link to a file
// elsewhere is cut. Directories, FIFOs, devices and sockets are refused.
// The new file gets the usual mode of a created file (0666 less the umask).
class FileReplacement {
 public:
  FileReplacement() = default;
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;
  ~FileReplacement();  // abandons a replacement that was not committed

  // Creates the temporary file. False, with *error set, when `path` names something that may not
  // be replaced or no file can be created beside it.
  bool Begin(const std::string& path, std::string* error);
  // The temporary file, open for writing; null before Begin and after Commit or Abandon.
  std::FILE* file() const { return file_; }
  // Closes the temporary file and renames it to the final path. False, with *error set, when the
  // data cannot be written or the rename fails; the temporary file is then removed.
  bool Commit(std::string* error);
  // Closes and removes the temporary file; the final path keeps what it had.
  void Abandon();

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  std::string temporary_;
};

}  // namespace platform
