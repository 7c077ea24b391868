// Private files in shared directories, against a second local user who plants links and files.
#include "platform/private_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "shared_dir.h"

namespace platform {
namespace {

using edatest::asOtherUser;
using edatest::ownerAndMode;

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeAll(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

bool writeThrough(const std::string& path, OwnFileMode mode, const std::string& text,
                  std::string* error) {
  std::FILE* file = openOwnFile(path, mode, error);
  if (file == nullptr) return false;
  std::fputs(text.c_str(), file);
  return std::fclose(file) == 0;
}

class PrivateFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(shared_.path().empty()); }
  void needOtherUser() {
    if (!edatest::canActAsOtherUser()) GTEST_SKIP() << "needs root to act as a second user";
  }
  edatest::SharedDir shared_;
  const unsigned uid_ = ::geteuid();
};

TEST_F(PrivateFilesTest, SharedDirectoryGetsAPerUserDirectory) {
  EXPECT_TRUE(isSharedDirectory(shared_.path()));
  EXPECT_TRUE(isInSharedDirectory(shared_.path("file")));
  std::string dir, error;
  ASSERT_TRUE(userDirectory(shared_.path(), "tool", &dir, &error)) << error;
  EXPECT_EQ(dir, shared_.path("tool-" + std::to_string(uid_)));
  unsigned owner = 0, mode = 0;
  ASSERT_TRUE(ownerAndMode(dir, &owner, &mode));
  EXPECT_EQ(owner, uid_);
  EXPECT_EQ(mode, 0700u);
  EXPECT_FALSE(isSharedDirectory(dir));
  // The next use finds it and checks it again.
  ASSERT_TRUE(userDirectory(shared_.path(), "tool", &dir, &error)) << error;

  ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
  EXPECT_FALSE(userDirectory(shared_.path(), "tool", &dir, &error));
  EXPECT_NE(error.find("other users may use it (mode 0755)"), std::string::npos) << error;

  // A private temporary directory is used as it is.
  ASSERT_EQ(::chmod(dir.c_str(), 0700), 0);
  std::string same;
  ASSERT_TRUE(userDirectory(dir, "tool", &same, &error));
  EXPECT_EQ(same, dir);
}

TEST_F(PrivateFilesTest, PerUserDirectoryPlantedByAnotherUserIsRefused) {
  needOtherUser();
  const std::string name = "tool-" + std::to_string(uid_);
  ASSERT_TRUE(asOtherUser("mkdir -m 700 " + shared_.path(name)));
  std::string dir, error;
  EXPECT_FALSE(userDirectory(shared_.path(), "tool", &dir, &error));
  EXPECT_NE(error.find("belongs to another user (uid 65534)"), std::string::npos) << error;

  // A link to a directory of ours, planted by the other user, is no better.
  ASSERT_TRUE(asOtherUser("rmdir " + shared_.path(name)));
  const std::string ours = shared_.path("ours");
  ASSERT_EQ(::mkdir(ours.c_str(), 0700), 0);
  ASSERT_TRUE(asOtherUser("ln -s " + ours + " " + shared_.path(name)));
  EXPECT_FALSE(userDirectory(shared_.path(), "tool", &dir, &error));
  EXPECT_NE(error.find("symbolic link"), std::string::npos) << error;

  // A directory of another user that is not writable by others is shared all the same: its
  // owner can plant whatever they like in it.
  const std::string theirs = shared_.path("theirs");
  ASSERT_TRUE(asOtherUser("mkdir -m 755 " + theirs));
  EXPECT_TRUE(isSharedDirectory(theirs));
}

TEST_F(PrivateFilesTest, FilesAreCreatedPrivateAndWrittenAsAsked) {
  const std::string path = shared_.path("own.log");
  std::string error;
  ASSERT_TRUE(writeThrough(path, OwnFileMode::kAppend, "one\n", &error)) << error;
  ASSERT_TRUE(writeThrough(path, OwnFileMode::kAppend, "two\n", &error)) << error;
  EXPECT_EQ(readAll(path), "one\ntwo\n");
  unsigned owner = 0, mode = 0;
  ASSERT_TRUE(ownerAndMode(path, &owner, &mode));
  EXPECT_EQ(mode, 0600u);
  ASSERT_TRUE(writeThrough(path, OwnFileMode::kReplace, "three\n", &error)) << error;
  EXPECT_EQ(readAll(path), "three\n");
  std::FILE* file = openOwnFile(path, OwnFileMode::kRead, &error);
  ASSERT_NE(file, nullptr) << error;
  char line[16] = {};
  EXPECT_NE(std::fgets(line, sizeof line, file), nullptr);
  EXPECT_STREQ(line, "three\n");
  std::fclose(file);

  EXPECT_EQ(openOwnFile(shared_.path("missing"), OwnFileMode::kRead, &error), nullptr);

  // A second name of one of our files, or something that is no regular file, is refused.
  const std::string second = shared_.path("second-name");
  ASSERT_EQ(::link(path.c_str(), second.c_str()), 0);
  EXPECT_EQ(openOwnFile(second, OwnFileMode::kAppend, &error), nullptr);
  EXPECT_NE(error.find("hard links"), std::string::npos) << error;
  const std::string fifo = shared_.path("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(openOwnFile(fifo, OwnFileMode::kRead, &error), nullptr);
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  EXPECT_EQ(openOwnFile(fifo, OwnFileMode::kAppend, &error), nullptr) << "must not block";
}

TEST_F(PrivateFilesTest, PlantedLinksAndFilesOfAnotherUserAreNeitherFollowedNorRead) {
  needOtherUser();
  const std::string target = shared_.path("precious");
  writeAll(target, "keep me\n");
  const std::string link = shared_.path("connector.log");
  ASSERT_TRUE(asOtherUser("ln -s " + target + " " + link));
  const std::string planted = shared_.path("settings.ini");
  ASSERT_TRUE(asOtherUser("printf 'LogFile=/etc/passwd\\n' > " + planted));

  std::string error;
  for (OwnFileMode mode : {OwnFileMode::kRead, OwnFileMode::kAppend, OwnFileMode::kReplace}) {
    EXPECT_FALSE(writeThrough(link, mode, "", &error));
    EXPECT_EQ(error, "it is a symbolic link");
    EXPECT_EQ(openOwnFile(planted, mode, &error), nullptr);
    EXPECT_EQ(error, "it belongs to another user (uid 65534)");
  }
  EXPECT_EQ(readAll(target), "keep me\n");
  EXPECT_EQ(readAll(planted), "LogFile=/etc/passwd\n") << "a refused file is not emptied";
}

TEST_F(PrivateFilesTest, SecretFilesMustBeClosedToOthers) {
  const std::string path = shared_.path("secret");
  writeAll(path, "s3cret\n");
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  std::string content, error;
  ASSERT_TRUE(readSecretFile(path, &content, &error)) << error;
  EXPECT_EQ(content, "s3cret\n");

  struct Case {
    unsigned mode;
    const char* shown;
  };
  for (const Case& c : {Case{0640, "0640"}, Case{0604, "0604"}, Case{0620, "0620"}}) {
    ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
    EXPECT_FALSE(readSecretFile(path, &content, &error)) << c.shown;
    EXPECT_NE(error.find(std::string("(mode ") + c.shown + ")"), std::string::npos) << error;
    EXPECT_TRUE(content.empty());
  }
  EXPECT_FALSE(readSecretFile(shared_.path("missing"), &content, &error));
  EXPECT_FALSE(readSecretFile(shared_.path(), &content, &error));

  if (!edatest::canActAsOtherUser()) return;
  const std::string theirs = shared_.path("their-secret");
  ASSERT_TRUE(asOtherUser("umask 077; echo x > " + theirs));
  EXPECT_FALSE(readSecretFile(theirs, &content, &error));
  EXPECT_EQ(error, "it belongs to another user (uid 65534)");
}

}  // namespace
}  // namespace platform
