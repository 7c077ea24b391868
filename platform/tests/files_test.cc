#include "platform/files.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "testsupport/scoped_env.h"
#include "testsupport/temp_dir.h"

namespace platform {
namespace {

using testsupport::ScopedEnv;

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

TEST(FilesTest, WritableDirectoryNeedsADirectoryAndTheRightToWrite) {
  testsupport::TempDir scratch("platform_test");
  ASSERT_FALSE(scratch.path().empty());
  const std::string& dir = scratch.path();
  EXPECT_TRUE(isWritableDirectory(dir));
  std::ofstream(joinPath(dir, "file")) << "x";
  EXPECT_FALSE(isWritableDirectory(joinPath(dir, "file")));
  EXPECT_FALSE(isWritableDirectory(joinPath(dir, "missing")));
  // Root may write anywhere, so only another user sees a read-only directory refused.
  if (::geteuid() != 0) {
    const std::string locked = joinPath(dir, "locked");
    ASSERT_EQ(::mkdir(locked.c_str(), 0500), 0);
    EXPECT_FALSE(isWritableDirectory(locked));
  }
}

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
