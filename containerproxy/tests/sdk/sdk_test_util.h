// Helpers for tests that work on real container files in a fresh temporary directory.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sdk/vxn_container.h"
#include "testsupport/scoped_env.h"
#include "testsupport/temp_dir.h"

namespace vxn_test {

// A fresh directory, removed with everything in it when the fixture ends. TEMP points into it,
// so the SDK's spool files land there too.
class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string path(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;

 private:
  std::unique_ptr<testsupport::TempDir> scratch_;
  std::unique_ptr<testsupport::ScopedEnv> temp_;
};

void writeFile(const std::string& path, const std::string& bytes);
using testsupport::readFile;
bool fileExists(const std::string& path);
// Bytes of length `size` that deflate poorly, made from `seed`.
std::string noise(size_t size, unsigned seed);
// Number of entries in a directory, "." and ".." aside.
int countEntries(const std::string& directory);
void removeTree(const std::string& path);

// Opens `path` in `mode` with the "ZRM" format; the result must be ok.
vxn_container::Container* openContainer(const std::string& path, int mode);
// Creates a container with the given parts (name, data) of type "text".
void makeContainer(const std::string& path,
                   const std::vector<std::pair<std::string, std::string>>& parts);
// The data of one part, read through its stream; *ok false when the stream fails.
std::string readPart(vxn_container::ContainerPart* part, bool* ok);

// Limits the size of the files this process writes while it lives, so that a write fails the way
// it does on a full disk (with SIGXFSZ ignored, a write past the limit fails with EFBIG).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes);
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  ~FileSizeLimit();

 private:
  rlimit saved_{};
  void (*previous_)(int) = nullptr;
};

}  // namespace vxn_test
