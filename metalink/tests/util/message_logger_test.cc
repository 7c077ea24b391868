#include "util/message_logger.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "testsupport/temp_dir.h"

namespace {

class MessageLoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    dir_ = scratch_.path();
    saved_ = MessageLogger::settings();
    MessageLogger::setLogFile(dir_ + "/connector.log");
  }
  void TearDown() override { MessageLogger::configure(saved_); }
  static void setLevels(bool e, bool w, bool i, bool d) { MessageLogger::setLevels(e, w, i, d); }
  std::vector<std::string> lines() const {
    std::ifstream in(dir_ + "/connector.log");
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }
  testsupport::TempDir scratch_{"logger_test"};
  std::string dir_;
  MessageLogger::Settings saved_;
};

TEST_F(MessageLoggerTest, NothingIsWrittenBeforeLevelsAreSet) {
  MessageLogger::error("Test", "e");
  MessageLogger::warn("Test", "w");
  MessageLogger::info("Test", "i");
  MessageLogger::debug("Test", "d");
  EXPECT_TRUE(lines().empty());
}

TEST_F(MessageLoggerTest, EveryLevelPutsTheTimeStampAtColumnSeven) {
  setLevels(true, true, true, true);
  MessageLogger::error("Test", "first");
  MessageLogger::warn("Test", "second");
  MessageLogger::info("Test", "third");
  MessageLogger::debug("Test", "fourth");
  const auto got = lines();
  ASSERT_EQ(got.size(), 4u);
  const char* tags[] = {"ERROR ", "WARN  ", "INFO  ", "DEBUG "};
  const char* messages[] = {"first", "second", "third", "fourth"};
  for (int i = 0; i < 4; ++i) {
    const std::string& line = got[i];
    EXPECT_EQ(line.substr(0, 6), tags[i]) << line;
    // "YYYY-MM-DD hh:mm:ss" starts at the seventh character.
    ASSERT_GE(line.size(), 26u) << line;
    const std::string stamp = line.substr(6, 19);
    EXPECT_TRUE(isdigit(stamp[0]) && stamp[4] == '-' && stamp[7] == '-' && stamp[10] == ' ' &&
                stamp[13] == ':' && stamp[16] == ':')
        << line;
    EXPECT_EQ(line.substr(25), std::string(" ") + messages[i]) << line;
  }
}

TEST_F(MessageLoggerTest, LevelFlagsFilterAndWriteIgnoresThem) {
  setLevels(true, true, false, false);
  MessageLogger::info("Test", "hidden");
  MessageLogger::debug("Test", "hidden");
  MessageLogger::warn("Test", "shown");
  MessageLogger::write(MessageLogger::kDebugTag, "Test", "forced");
  const auto got = lines();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].substr(0, 5), "WARN ");
  EXPECT_EQ(got[1].substr(0, 5), "DEBUG");
}

TEST_F(MessageLoggerTest, UnopenableLogWarnsOnceOnStandardErrorAndGoesOn) {
  setLevels(true, false, false, false);
  const std::string good = MessageLogger::logFilePath();
  const std::string missing = dir_ + "/missing/dir/connector.log";
  MessageLogger::setLogFile(missing);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  MessageLogger::error("Test", "lost");
  MessageLogger::error("Test", "lost again");
  MessageLogger::setLogFile(good);
  MessageLogger::error("Test", "kept");
  MessageLogger::setLogFile(missing);
  MessageLogger::error("Test", "lost once more");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "metalink: warning: cannot write the log file " + missing +
                " (No such file or directory); going on without a log\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  ASSERT_EQ(lines().size(), 1u);
  EXPECT_EQ(lines()[0].substr(26), "kept");
}

TEST_F(MessageLoggerTest, LogIsNeverWrittenThroughALinkAndIsPrivate) {
  setLevels(true, false, false, false);
  const std::string target = dir_ + "/elsewhere";
  std::ofstream(target) << "untouched\n";
  const std::string link = dir_ + "/linked.log";
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  MessageLogger::setLogFile(link);
  testing::internal::CaptureStderr();
  MessageLogger::error("Test", "not through the link");
  EXPECT_NE(testing::internal::GetCapturedStderr().find("(it is a symbolic link)"),
            std::string::npos);
  std::ifstream in(target);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "untouched\n");

  MessageLogger::setLogFile(dir_ + "/connector.log");
  MessageLogger::error("Test", "written");
  struct stat st;
  ASSERT_EQ(stat(MessageLogger::logFilePath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // An empty path is a log that is off: nothing is written and nothing is said.
  MessageLogger::setLogFile(std::string());
  testing::internal::CaptureStderr();
  MessageLogger::error("Test", "nowhere");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
