#include "util/message_logger.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
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
    savedPath_ = MessageLogger::logFilePath;
    MessageLogger::logFilePath = dir_ + "/connector.log";
  }
  void TearDown() override {
    MessageLogger::logFilePath = savedPath_;
    setLevels(false, false, false, false);
  }
  static void setLevels(bool e, bool w, bool i, bool d) {
    MessageLogger::errorEnabled = e;
    MessageLogger::warnEnabled = w;
    MessageLogger::infoEnabled = i;
    MessageLogger::debugEnabled = d;
  }
  std::vector<std::string> lines() const {
    std::ifstream in(dir_ + "/connector.log");
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }
  testsupport::TempDir scratch_{"logger_test"};
  std::string dir_;
  std::string savedPath_;
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

TEST_F(MessageLoggerTest, UnopenableLogPrintsNoticeAndDropsLine) {
  setLevels(true, false, false, false);
  MessageLogger::logFilePath = dir_ + "/missing/dir/connector.log";
  testing::internal::CaptureStdout();
  MessageLogger::error("Test", "lost");
  MessageLogger::error("Test", "lost again");
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string notice = "fail to open the log file: " + MessageLogger::logFilePath;
  EXPECT_EQ(out, notice + notice);
}

}  // namespace
