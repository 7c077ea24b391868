#include "util/message_logger.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
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
  setLevels(false, false, false, false);
  MessageLogger::error("Test", "e");
  MessageLogger::warn("Test", "w");
  MessageLogger::info("Test", "i");
  MessageLogger::debug("Test", "d");
  // With every level off the file is not even made.
  struct stat st;
  EXPECT_NE(stat((dir_ + "/connector.log").c_str(), &st), 0);
}

// The local time in the log's stamp format.
std::string localStamp(std::time_t t) {
  std::tm local{};
  char text[32] = "";
  if (localtime_r(&t, &local) == nullptr) return text;
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

TEST_F(MessageLoggerTest, EveryLevelPutsTheTimeStampAtColumnSeven) {
  setLevels(true, true, true, true);
  const std::string before = localStamp(std::time(nullptr));
  MessageLogger::error("Test", "first");
  MessageLogger::warn("Test", "second");
  MessageLogger::info("Test", "third");
  MessageLogger::debug("Test", "fourth");
  const std::string after = localStamp(std::time(nullptr));
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
    // The stamp is the local time of the write, every field counted as people count it (months
    // from 1); the format sorts as the time does.
    EXPECT_GE(stamp, before) << line;
    EXPECT_LE(stamp, after) << line;
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

// The message of a log line: what follows "<tag> <stamp> ".
std::string messageOf(const std::string& line) { return line.size() > 26 ? line.substr(26) : ""; }

TEST_F(MessageLoggerTest, LinesReachTheFileAtOnceAndTheFileIsKeptAcrossLines) {
  setLevels(true, false, false, false);
  MessageLogger::error("Test", "one");
  // Visible to a reader before anything is closed: a crash now would lose nothing.
  ASSERT_EQ(lines().size(), 1u);
  // Emptied by another program in place (as `> file` or copytruncate do): the file is the same
  // one, and the next line goes to its new end rather than past a hole.
  std::ofstream(dir_ + "/connector.log", std::ios::trunc).close();
  MessageLogger::error("Test", "two");
  ASSERT_EQ(lines().size(), 1u);
  EXPECT_EQ(messageOf(lines()[0]), "two");
  MessageLogger::closeFile();
  MessageLogger::error("Test", "three");
  ASSERT_EQ(lines().size(), 2u);
  EXPECT_EQ(messageOf(lines()[1]), "three");
}

TEST_F(MessageLoggerTest, ARotatedOrRemovedFileIsFollowedByANewOneAtThePath) {
  setLevels(true, false, false, false);
  const std::string path = dir_ + "/connector.log";
  MessageLogger::error("Test", "before rotation");
  ASSERT_EQ(std::rename(path.c_str(), (path + ".1").c_str()), 0);
  MessageLogger::error("Test", "after rotation");
  ASSERT_EQ(lines().size(), 1u);
  EXPECT_EQ(messageOf(lines()[0]), "after rotation");
  std::ifstream rotated(path + ".1");
  std::string old;
  std::getline(rotated, old);
  EXPECT_EQ(messageOf(old), "before rotation");

  ASSERT_EQ(std::remove(path.c_str()), 0);
  MessageLogger::error("Test", "after removal");
  ASSERT_EQ(lines().size(), 1u);
  EXPECT_EQ(messageOf(lines()[0]), "after removal");

  // A link planted in the open file's place is refused like any link at the path.
  ASSERT_EQ(std::rename(path.c_str(), (path + ".2").c_str()), 0);
  ASSERT_EQ(symlink((path + ".2").c_str(), path.c_str()), 0);
  testing::internal::CaptureStderr();
  MessageLogger::error("Test", "not through the link");
  EXPECT_NE(testing::internal::GetCapturedStderr().find("(it is a symbolic link)"),
            std::string::npos);
  std::ifstream target(path + ".2");
  std::string content((std::istreambuf_iterator<char>(target)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content.find("not through the link"), std::string::npos) << content;
}

// Every line of the file is "<tag> <stamp> <writer> <number> <padding>", whole; returns the
// lines seen per writer, or fails the test at the first line that is not whole.
std::map<std::string, int> wholeLinesPerWriter(const std::vector<std::string>& got,
                                               size_t padding) {
  std::map<std::string, int> counts;
  for (const std::string& line : got) {
    std::istringstream fields(messageOf(line));
    std::string writer, pad;
    int number = -1;
    fields >> writer >> number >> pad;
    EXPECT_EQ(line.substr(0, 6), "ERROR ") << line;
    EXPECT_EQ(pad.size(), padding) << line;
    EXPECT_EQ(pad.find_first_not_of('x'), std::string::npos) << line;
    if (::testing::Test::HasFailure()) return counts;
    ++counts[writer];
  }
  return counts;
}

TEST_F(MessageLoggerTest, ThreadsAndProcessesAppendingToOneFileNeverSplitALine) {
  setLevels(true, false, false, false);
  constexpr int kLines = 2000;
  // Longer than a pipe's atomic size and than stdio's buffer, so a line written in pieces shows.
  const std::string padding(6000, 'x');
  auto writeLines = [&padding](const std::string& writer) {
    for (int i = 0; i < kLines; ++i) {
      MessageLogger::error("Test", writer + " " + std::to_string(i) + " " + padding);
    }
  };
  std::vector<pid_t> children;
  for (const char* writer : {"processA", "processB"}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      writeLines(writer);
      _exit(0);
    }
    children.push_back(child);
  }
  {
    // Meanwhile, threads of this process, one of them switching the path to and fro.
    std::thread first(writeLines, "threadA");
    std::thread second(writeLines, "threadB");
    std::thread switcher([this] {
      for (int i = 0; i < 200; ++i) {
        MessageLogger::setLogFile(dir_ + "/other.log");
        MessageLogger::setLogFile(dir_ + "/connector.log");
        MessageLogger::closeFile();
      }
    });
    first.join();
    second.join();
    switcher.join();
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::vector<std::string> got = lines();
  std::ifstream other(dir_ + "/other.log");
  for (std::string line; std::getline(other, line);) got.push_back(line);
  const std::map<std::string, int> counts = wholeLinesPerWriter(got, padding.size());
  for (const char* writer : {"processA", "processB", "threadA", "threadB"}) {
    EXPECT_EQ(counts.count(writer) != 0 ? counts.at(writer) : 0, kLines) << writer;
  }
}

}  // namespace
