#include "platform/file_replacement.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "testsupport/temp_dir.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::writeFile;

class FileReplacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    dir_ = scratch_.path();
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // Puts `text` at `target` through a FileReplacement; the error text when that fails.
  static std::string replace(const std::string& target, const std::string& text) {
    FileReplacement replacement;
    std::string error;
    if (!replacement.Begin(target, LinkPolicy::kReplaceLink, &error)) return error;
    std::fputs(text.c_str(), replacement.file());
    if (!replacement.Commit(&error)) return error;
    return std::string();
  }
  size_t entries() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }

  testsupport::TempDir scratch_{"file_replacement"};
  fs::path dir_;
};

TEST_F(FileReplacementTest, CreatesAndReplacesRegularFiles) {
  EXPECT_EQ(replace(path("new.txt"), "first"), "");
  EXPECT_EQ(readFile(path("new.txt")), "first");
  EXPECT_EQ(replace(path("new.txt"), "second"), "");
  EXPECT_EQ(readFile(path("new.txt")), "second");
  EXPECT_EQ(entries(), 1u) << "a temporary file stayed behind";
}

TEST_F(FileReplacementTest, ALinkIsReplacedAndWhatItNamesIsUntouched) {
  writeFile(path("outside.txt"), "keep me");
  fs::create_symlink(path("outside.txt"), path("link.txt"));
  fs::create_hard_link(path("outside.txt"), path("hard.txt"));
  EXPECT_EQ(replace(path("link.txt"), "new"), "");
  EXPECT_EQ(replace(path("hard.txt"), "new too"), "");
  EXPECT_EQ(readFile(path("outside.txt")), "keep me");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path("link.txt"))));
  EXPECT_EQ(readFile(path("link.txt")), "new");
  EXPECT_EQ(readFile(path("hard.txt")), "new too");
  // A dangling link planted where the file goes must not create its target either.
  fs::create_symlink(path("planted-target"), path("dangling.txt"));
  EXPECT_EQ(replace(path("dangling.txt"), "x"), "");
  EXPECT_FALSE(fs::exists(path("planted-target")));
}

TEST_F(FileReplacementTest, OtherKindsOfFileAreRefused) {
  fs::create_directory(path("dir"));
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
  const std::string kept = ", not a regular file; it is left as it is";
  EXPECT_EQ(replace(path("dir"), "x"), "the path " + path("dir") + " is a directory" + kept);
  EXPECT_EQ(replace(path("fifo"), "x"), "the path " + path("fifo") + " is a FIFO" + kept);
  EXPECT_TRUE(fs::is_fifo(path("fifo")));
  EXPECT_EQ(replace(path("missing/f.txt"), "x").rfind("no temporary file can be created in ", 0),
            0u);
  EXPECT_EQ(entries(), 2u);
}

TEST_F(FileReplacementTest, AnAbandonedReplacementLeavesTheOldFile) {
  writeFile(path("f.txt"), "old");
  {
    FileReplacement replacement;
    std::string error;
    ASSERT_TRUE(replacement.Begin(path("f.txt"), LinkPolicy::kReplaceLink, &error)) << error;
    std::fputs("half", replacement.file());
    EXPECT_EQ(entries(), 2u);
  }
  EXPECT_EQ(readFile(path("f.txt")), "old");
  EXPECT_EQ(entries(), 1u);

  // A directory that appears at the path before the commit is not replaced.
  FileReplacement replacement;
  std::string error;
  ASSERT_TRUE(replacement.Begin(path("late"), LinkPolicy::kReplaceLink, &error)) << error;
  fs::create_directory(path("late"));
  EXPECT_FALSE(replacement.Commit(&error));
  EXPECT_EQ(error, "the path " + path("late") +
                       " is a directory, not a regular file; it is left as it is");
  EXPECT_EQ(entries(), 2u);
}

}  // namespace
}  // namespace platform
