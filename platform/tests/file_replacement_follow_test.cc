// Replacing a file that is reached through links, by a writer that opens the temporary path.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "platform/file_replacement.h"
#include "testsupport/temp_dir.h"

namespace platform {
namespace {

using testsupport::readFile;
using testsupport::writeFile;

// The way the library writer uses a replacement: its writer opens the temporary path itself.
bool replaceFileAtomically(const std::string& path,
                           const std::function<bool(const std::string&, std::string*)>& write,
                           std::string* error) {
  FileReplacement replacement;
  if (!replacement.Begin(path, LinkPolicy::kFollow, error)) return false;
  if (!write(replacement.temporaryPath(), error)) return false;
  return replacement.Commit(error);
}

class ReplaceFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    dir_ = scratch_.path();
  }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }

  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir_)) {
      out.push_back(e.path().filename().string());
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  // Replaces `file` with `content`, written by the caller-side writer the way a real one does:
  // by opening the temporary path it is handed.
  static bool replace(const std::string& file, const std::string& content, std::string* error) {
    return replaceFileAtomically(
        file,
        [&](const std::string& temporary, std::string*) {
          writeFile(temporary, content);
          return true;
        },
        error);
  }

  testsupport::TempDir scratch_{"file_replacement_follow"};
  std::string dir_;
};

TEST_F(ReplaceFileTest, CreatesAndReplacesLeavingNoTemporary) {
  const std::string file = path("lib.xml");
  std::string error;
  ASSERT_TRUE(replace(file, "first", &error)) << error;
  EXPECT_EQ(readFile(file), "first");
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat st;
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);

  ASSERT_TRUE(replace(file, "second", &error)) << error;
  EXPECT_EQ(readFile(file), "second");
  EXPECT_EQ(names(), std::vector<std::string>{"lib.xml"});
}

TEST_F(ReplaceFileTest, KeepsModeOwnerAndGroup) {
  const std::string file = path("private.xml");
  writeFile(file, "old");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(file.c_str(), 4321, 4322), 0);
  }
  std::string error;
  ASSERT_TRUE(replace(file, "new", &error)) << error;
  struct stat st;
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
  }
  EXPECT_EQ(readFile(file), "new");
}

TEST_F(ReplaceFileTest, FollowsSymbolicLinksToTheFileTheyName) {
  ASSERT_TRUE(std::filesystem::create_directory(path("real")));
  const std::string real = path("real/lib.xml");
  writeFile(real, "old");
  ASSERT_EQ(::symlink("real/lib.xml", path("relative").c_str()), 0);
  ASSERT_EQ(::symlink(path("relative").c_str(), path("chain").c_str()), 0);
  std::string error;
  ASSERT_TRUE(replace(path("chain"), "new", &error)) << error;
  EXPECT_EQ(readFile(real), "new");
  struct stat st;
  ASSERT_EQ(::lstat(path("chain").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(::lstat(path("relative").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));

  // A link to a file that does not exist yet creates that file.
  ASSERT_EQ(::symlink("real/fresh.xml", path("dangling").c_str()), 0);
  ASSERT_TRUE(replace(path("dangling"), "fresh", &error)) << error;
  EXPECT_EQ(readFile(path("real/fresh.xml")), "fresh");

  ASSERT_EQ(::symlink("loop", path("loop").c_str()), 0);
  EXPECT_FALSE(replace(path("loop"), "x", &error));
  EXPECT_NE(error.find("symbolic links"), std::string::npos) << error;
}

TEST_F(ReplaceFileTest, RefusesTargetsThatAreNotRegularFiles) {
  ASSERT_TRUE(std::filesystem::create_directory(path("folder")));
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("/dev/null", path("device").c_str()), 0);
  struct Case {
    std::string name;
    std::string kind;
  } cases[] = {{"folder", "a directory"}, {"fifo", "a FIFO"}, {"device", "a device"}};
  for (const Case& c : cases) {
    std::string error;
    bool called = false;
    EXPECT_FALSE(replaceFileAtomically(
        path(c.name),
        [&](const std::string&, std::string*) {
          called = true;
          return true;
        },
        &error))
        << c.name;
    EXPECT_FALSE(called) << c.name;
    EXPECT_NE(error.find(c.kind + ", not a regular file"), std::string::npos) << error;
  }
  struct stat st;
  ASSERT_EQ(::lstat(path("fifo").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(names(), (std::vector<std::string>{"device", "fifo", "folder"}));
}

TEST_F(ReplaceFileTest, FailedWriteKeepsTheOldFileAndRemovesTheTemporary) {
  const std::string file = path("lib.xml");
  writeFile(file, "old");
  std::string error;
  std::string seen;
  EXPECT_FALSE(replaceFileAtomically(
      file,
      [&](const std::string& temporary, std::string* why) {
        seen = temporary;
        writeFile(temporary, "half");
        *why = "the disk is full";
        return false;
      },
      &error));
  EXPECT_EQ(error, "the disk is full");
  EXPECT_EQ(seen.rfind(dir_ + "/", 0), 0u) << "the temporary belongs in the target's directory";
  EXPECT_EQ(readFile(file), "old");
  EXPECT_EQ(names(), std::vector<std::string>{"lib.xml"});

  EXPECT_FALSE(replace(path("missing/lib.xml"), "x", &error));
  EXPECT_NE(error.find("no temporary file can be created in " + path("missing")), std::string::npos)
      << error;
}

TEST_F(ReplaceFileTest, ReplacementsOfOnePathAtOnceDoNotCollide) {
  const std::string file = path("lib.xml");
  std::string outerError, innerError, outerTemporary, innerTemporary;
  ASSERT_TRUE(replaceFileAtomically(
      file,
      [&](const std::string& temporary, std::string*) {
        outerTemporary = temporary;
        writeFile(temporary, "outer");
        // A second writer of the same path, while the first one's temporary is still open.
        EXPECT_TRUE(replaceFileAtomically(
            file,
            [&](const std::string& inner, std::string*) {
              innerTemporary = inner;
              writeFile(inner, "inner");
              return true;
            },
            &innerError))
            << innerError;
        EXPECT_EQ(readFile(temporary), "outer");
        return true;
      },
      &outerError))
      << outerError;
  EXPECT_NE(outerTemporary, innerTemporary);
  EXPECT_EQ(readFile(file), "outer");
  EXPECT_EQ(names(), std::vector<std::string>{"lib.xml"});
}

}  // namespace
}  // namespace platform
