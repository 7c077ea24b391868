// The one scratch directory helper of the tests: a fresh directory for one test, removed with its
// contents afterwards. It lies under TMPDIR (else /tmp), so parallel runs and hosts that point
// TMPDIR elsewhere keep their files where they asked.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testsupport {

class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "eda-test") {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) base = "/tmp";
    std::string pattern = (base / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Empty when no directory could be made.
  const std::string& path() const { return path_; }
  std::string sub(const std::string& name) const { return path_ + "/" + name; }

  // Creates a directory below this one (and its parents) and returns its path.
  std::string makeDir(const std::string& name) const {
    std::filesystem::create_directories(sub(name));
    return sub(name);
  }
  // Writes a file below this one and returns its path.
  std::string writeFile(const std::string& name, const std::string& content) const {
    std::filesystem::create_directories(std::filesystem::path(sub(name)).parent_path());
    std::ofstream(sub(name), std::ios::binary) << content;
    return sub(name);
  }

 private:
  std::string path_;
};

// Replaces the file at `path` by `content`; false when it cannot be written whole.
inline bool writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  out.close();
  return !out.fail();
}

// The whole file; empty when it cannot be read.
inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace testsupport
