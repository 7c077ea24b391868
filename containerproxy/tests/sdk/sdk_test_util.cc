#include "sdk_test_util.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <random>

namespace vxn_test {

void TempDirTest::SetUp() {
  scratch_ = std::make_unique<testsupport::TempDir>("vxn-sdk");
  ASSERT_FALSE(scratch_->path().empty());
  dir_ = scratch_->path();
  temp_ = std::make_unique<testsupport::ScopedEnv>("TEMP", dir_.c_str());
}

void TempDirTest::TearDown() {
  temp_.reset();
  scratch_.reset();
}

void writeFile(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE(testsupport::writeFile(path, bytes)) << path;
}

bool fileExists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

std::string noise(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

int countEntries(const std::string& directory) {
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return -1;
  int count = 0;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") ++count;
  }
  closedir(dir);
  return count;
}

void removeTree(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return;
  if (S_ISDIR(info.st_mode)) {
    if (DIR* dir = opendir(path.c_str())) {
      while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") removeTree(path + "/" + name);
      }
      closedir(dir);
    }
    ::rmdir(path.c_str());
  } else {
    std::remove(path.c_str());
  }
}

vxn_container::Container* openContainer(const std::string& path, int mode) {
  vxnxml_api::Configuration configuration;
  configuration.Set("format", "ZRM");
  vxn_container::Container* container = nullptr;
  const vxnxml_api::Result result =
      vxn_container::Container::Open(path.c_str(), mode, configuration, &container);
  EXPECT_TRUE(result.Ok()) << result.GetMessage().GetNarrow();
  return container;
}

void makeContainer(const std::string& path,
                   const std::vector<std::pair<std::string, std::string>>& parts) {
  vxn_container::Container* container = openContainer(path, 19);
  ASSERT_NE(container, nullptr);
  for (const auto& [name, data] : parts) {
    vxn_container::ContainerPart* part = nullptr;
    ASSERT_TRUE(container->CreatePart(name.c_str(), "text", &part).Ok()) << name;
    vxn_container::PartStream* stream = nullptr;
    ASSERT_TRUE(part->GetStream(2, &stream).Ok());
    if (!data.empty()) {
      ASSERT_EQ(stream->Write(data.data(), data.size(), 1, 0), data.size());
    }
    ASSERT_TRUE(stream->Release().Ok());
    part->Close();
  }
  const vxnxml_api::Result closed = vxn_container::Container::Close(container);
  ASSERT_TRUE(closed.Ok()) << closed.GetMessage().GetNarrow();
}

std::string readPart(vxn_container::ContainerPart* part, bool* ok) {
  vxn_container::PartStream* stream = nullptr;
  *ok = part->GetStream(1, &stream).Ok();
  if (!*ok) return std::string();
  std::string data;
  char buffer[1000];
  while (size_t n = stream->Read(buffer, sizeof buffer, 1, 0)) data.append(buffer, n);
  *ok = !stream->Failed();
  stream->Release();
  return data;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
  getrlimit(RLIMIT_FSIZE, &saved_);
  previous_ = signal(SIGXFSZ, SIG_IGN);
  rlimit limit = saved_;
  limit.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
  setrlimit(RLIMIT_FSIZE, &saved_);
  signal(SIGXFSZ, previous_);
}

}  // namespace vxn_test
