#include "platform/files.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "testsupport/temp_dir.h"

namespace platform {
namespace {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old, had_ = true;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(FilesTest, TempDirectoryPrefersTempThenTmpdir) {
  {
    ScopedEnv temp("TEMP", "/var/x/");
    ScopedEnv tmpdir("TMPDIR", "/var/y");
    EXPECT_EQ(tempDirectory(), "/var/x");
  }
  {
    ScopedEnv temp("TEMP", nullptr);
    ScopedEnv tmpdir("TMPDIR", "/var/y");
    EXPECT_EQ(tempDirectory(), "/var/y");
  }
  {
    ScopedEnv temp("TEMP", "");
    ScopedEnv tmpdir("TMPDIR", nullptr);
    EXPECT_EQ(tempDirectory(), "/tmp");
  }
}

TEST(FilesTest, ToNativePath) {
  std::string p = "C:\\\\temp//a\\b";
  toNativePath(p);
  EXPECT_EQ(p, "C:/temp/a/b");
  p = "//server/share";
  toNativePath(p);
  EXPECT_EQ(p, "/server/share");
  EXPECT_EQ(joinPath("/a/", "b"), "/a/b");
  EXPECT_EQ(joinPath("/a", "b"), "/a/b");
}

TEST(FilesTest, DirectoriesListingAndCopy) {
  testsupport::TempDir scratch("platform_test");
  ASSERT_FALSE(scratch.path().empty());
  const std::string& dir = scratch.path();
  ASSERT_TRUE(makeDirectory(joinPath(dir, "sub")));
  EXPECT_FALSE(makeDirectory(joinPath(dir, "sub"))) << "exists already";
  std::string content(200000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  std::ofstream(joinPath(dir, "a.bin"), std::ios::binary) << content;

  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(listDirectory(dir, &entries));
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "a.bin");
  EXPECT_FALSE(entries[0].isDirectory);
  EXPECT_EQ(entries[1].name, "sub");
  EXPECT_TRUE(entries[1].isDirectory);

  ASSERT_TRUE(copyFile(joinPath(dir, "a.bin"), joinPath(dir, "sub/b.bin")));
  std::ifstream in(joinPath(dir, "sub/b.bin"), std::ios::binary);
  std::stringstream copied;
  copied << in.rdbuf();
  EXPECT_EQ(copied.str(), content);
  EXPECT_FALSE(copyFile(joinPath(dir, "missing"), joinPath(dir, "x")));
  EXPECT_FALSE(pathExists(joinPath(dir, "x"))) << "nothing created when the source is missing";
  EXPECT_FALSE(listDirectory(joinPath(dir, "missing"), &entries));

  EXPECT_TRUE(removeFile(joinPath(dir, "sub/b.bin")));
  EXPECT_FALSE(removeFile(joinPath(dir, "sub/b.bin")));
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

TEST(FilesTest, TemporaryFilesAreNewAndUnique) {
  testsupport::TempDir scratch("platform_temp");
  std::string first, second, error;
  std::FILE* a = createTemporaryFile(scratch.path(), "spool-", &first, &error);
  ASSERT_NE(a, nullptr) << error;
  std::FILE* b = createTemporaryFile(scratch.path(), "spool-", &second, &error);
  ASSERT_NE(b, nullptr) << error;
  EXPECT_NE(first, second);
  EXPECT_EQ(first.rfind(scratch.sub("spool-"), 0), 0u);
  EXPECT_EQ(std::fputs("data", a), 1);
  std::fclose(a);
  std::fclose(b);
  EXPECT_EQ(testsupport::readFile(first), "data");
  EXPECT_EQ(createTemporaryFile(scratch.sub("missing"), "spool-", &first, &error), nullptr);
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace platform
