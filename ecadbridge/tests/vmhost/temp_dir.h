// A fresh directory for one test, removed with its contents afterwards.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace ecadbridge_test {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ecadbridge-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

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

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace ecadbridge_test
