// The log set-up from ODBCCon.ini in the temporary directory.
#include "connector/odbc_con_base.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "connector_environment.h"
#include "shared_dir.h"
#include "util/message_logger.h"

namespace {

using edatest::readFile;

class ConfigurationTest : public ::testing::Test {
 protected:
  // One line at each level, as any part of the connector would write them.
  static void writeEveryLevel() {
    MessageLogger::error("test", "an error");
    MessageLogger::warn("test", "a warning");
    MessageLogger::info("test", "some info");
    MessageLogger::debug("test", "a detail");
  }
  static std::vector<std::string> levels(const std::string& logFile) {
    std::vector<std::string> out;
    for (const std::string& line : edatest::ConnectorEnvironment::messages(logFile, "")) {
      if (line == "an error" || line == "a warning" || line == "some info" || line == "a detail") {
        out.push_back(line);
      }
    }
    return out;
  }

  edatest::ConnectorEnvironment env_;
};

TEST_F(ConfigurationTest, MissingFileIsWrittenWithTheDefaults) {
  {
    CODBCConBase base;
    EXPECT_TRUE(base.isUsable());
    EXPECT_EQ(base.getLogFile(), env_.defaultLogPath());
    EXPECT_EQ(base.getLogLevel(), "info");
  }
  EXPECT_EQ(readFile(env_.iniPath()), "LogFile=" + env_.defaultLogPath() + "\nLogLevel=info\n");
  writeEveryLevel();
  EXPECT_EQ(levels(env_.defaultLogPath()),
            (std::vector<std::string>{"an error", "a warning", "some info"}));
  // The settings are read again at every construction: the file now decides.
  env_.writeIni("LogLevel=ERROR\nLogFile=" + env_.path("other.log") + "\n");
  CODBCConBase again;
  EXPECT_EQ(again.getLogFile(), env_.path("other.log"));
  writeEveryLevel();
  EXPECT_EQ(levels(env_.path("other.log")), std::vector<std::string>{"an error"});
}

TEST_F(ConfigurationTest, FileCases) {
  const std::string d = env_.dir();
  ASSERT_TRUE(std::filesystem::create_directory(d + "/logs"));
  struct Case {
    const char* name;
    std::string ini;
    std::string rewritten;  // empty: the file stays as it was
    std::string logFile;
    std::string level;
    std::vector<std::string> written;
  };
  const std::vector<std::string> all = {"an error", "a warning", "some info", "a detail"};
  const std::vector<Case> cases = {
      {"lower-case debug", "LogFile=" + d + "/a.log\nLogLevel=debug\n", "", d + "/a.log", "debug",
       all},
      {"unknown level",
       "# old settings\nzeta=1\nLogLevel=verbose\nAlpha=2\n\nLogFile=" + d + "/b.log\n",
       "Alpha=2\nLogFile=" + d + "/b.log\nLogLevel=info\nzeta=1\n",
       d + "/b.log",
       "info",
       {"an error", "a warning", "some info"}},
      {"slashes",
       "LogFile=" + d + "//logs///conn.log\nLogLevel=Warn\n",
       "",
       d + "/logs/conn.log",
       "Warn",
       {"an error", "a warning"}},
      {"comments and blanks",
       "   # LogLevel=debug\n\n   \n  LogFile  =  " + d +
           "/c.log  \n\tLogLevel=debug\n"
           "LogLevel = warn\n",
       "",
       d + "/c.log",
       "warn",
       {"an error", "a warning"}},
      {"second level line",
       "LogLevel=error\nLogLevel=debug\n",
       "LogFile=" + env_.defaultLogPath() + "\nLogLevel=error\n",
       env_.defaultLogPath(),
       "error",
       {"an error"}},
      {"value after a second separator", "LogLevel=debug=info\nLogFile=" + d + "/e.log=x\n", "",
       d + "/e.log", "debug", all},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    env_.writeIni(c.ini);
    std::filesystem::remove(c.logFile);
    CODBCConBase base;
    EXPECT_EQ(base.getLogFile(), c.logFile);
    EXPECT_EQ(base.getLogLevel(), c.level);
    EXPECT_EQ(readFile(env_.iniPath()), c.rewritten.empty() ? c.ini : c.rewritten);
    writeEveryLevel();
    EXPECT_EQ(levels(c.logFile), c.written);
  }
}

TEST_F(ConfigurationTest, DebugLevelLogsTheSettingsAtEveryConstruction) {
  env_.writeIni("LogLevel=debug\n");
  for (int call = 1; call <= 2; ++call) {
    CODBCConBase base;
  }
  const std::string line1 = "The properties file is: " + env_.iniPath();
  const std::string line2 = "The log file path is: " + env_.defaultLogPath();
  const std::string line3 = "The log level is: debug";
  EXPECT_EQ(edatest::ConnectorEnvironment::messages(env_.defaultLogPath(), "DEBUG"),
            (std::vector<std::string>{line1, line2, line3, line1, line2, line3}));
}

TEST_F(ConfigurationTest, SetLogFileMovesTheProcessLog) {
  CODBCConBase base;
  base.setLogFile(env_.path("moved.log"));
  EXPECT_EQ(base.getLogFile(), env_.path("moved.log"));
  MessageLogger::info("test", "some info");
  EXPECT_EQ(levels(env_.path("moved.log")), std::vector<std::string>{"some info"});
}

// Descriptors of this process open on `path`.
int descriptorsOn(const std::string& path) {
  int count = 0;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ignored)) {
    if (std::filesystem::read_symlink(entry.path(), ignored) ==
        std::filesystem::weakly_canonical(path, ignored)) {
      ++count;
    }
  }
  return count;
}

TEST_F(ConfigurationTest, AnOperationHoldsItsLogOpenOnlyWhileItRuns) {
  env_.writeIni("LogLevel=info\n");
  {
    CODBCConBase base;
    MessageLogger::info("test", "first");
    MessageLogger::info("test", "second");
    EXPECT_EQ(descriptorsOn(env_.defaultLogPath()), 1);
    // Moved elsewhere: the old file is let go at once.
    base.setLogFile(env_.path("moved.log"));
    MessageLogger::info("test", "third");
    EXPECT_EQ(descriptorsOn(env_.defaultLogPath()), 0);
    EXPECT_EQ(descriptorsOn(env_.path("moved.log")), 1);
  }
  EXPECT_EQ(descriptorsOn(env_.path("moved.log")), 0);
  using Env = edatest::ConnectorEnvironment;
  EXPECT_EQ(Env::messages(env_.defaultLogPath(), "INFO"),
            (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(Env::messages(env_.path("moved.log"), "INFO"), std::vector<std::string>{"third"});
}

TEST_F(ConfigurationTest, TemporaryDirectoryFallsBackAndMustBeUsable) {
  // Without TEMP the platform's temporary directory (TMPDIR here) holds the configuration.
  {
    testsupport::ScopedEnv noTemp("TEMP", nullptr);
    testsupport::ScopedEnv tmpdir("TMPDIR", env_.dir().c_str());
    CODBCConBase base;
    EXPECT_TRUE(base.isUsable());
    EXPECT_EQ(base.getLogFile(), env_.defaultLogPath());
  }
  EXPECT_TRUE(std::filesystem::exists(env_.iniPath()));

  // A TEMP that names a file or a missing directory cannot hold the configuration.
  for (const std::string& temp : {env_.iniPath(), env_.path("missing")}) {
    setenv("TEMP", temp.c_str(), 1);
    CODBCConBase base;
    EXPECT_FALSE(base.isUsable()) << temp;
  }
}

// With TEMP at a directory every user may write to, like /tmp, what another user planted there is
// neither read nor followed: the settings and the log live in a directory of the user's own.
TEST_F(ConfigurationTest, SharedTemporaryDirectoryHoldsAPrivateDirectory) {
  edatest::SharedDir shared;
  ASSERT_FALSE(shared.path().empty());
  const std::string precious = shared.path("precious");
  edatest::writeFile(precious, "keep me\n");
  const bool planted = edatest::canActAsOtherUser();
  if (planted) {
    ASSERT_TRUE(edatest::asOtherUser("printf 'LogFile=" + shared.path("stolen.log") +
                                     "\\nLogLevel=debug\\n' > " + shared.path("ODBCCon.ini")));
    ASSERT_TRUE(edatest::asOtherUser("ln -s " + precious + " " + shared.path("ODBCCon.log")));
  }
  setenv("TEMP", shared.path().c_str(), 1);
  const std::string own = shared.path("metalink-" + std::to_string(::geteuid()));
  testing::internal::CaptureStderr();
  for (int call = 1; call <= 2; ++call) {
    CODBCConBase base;
    EXPECT_TRUE(base.isUsable());
    EXPECT_EQ(base.getLogFile(), own + "/ODBCCon.log");
    EXPECT_EQ(base.getLogLevel(), "info");
    writeEveryLevel();
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  EXPECT_EQ(readFile(own + "/ODBCCon.ini"), "LogFile=" + own + "/ODBCCon.log\nLogLevel=info\n");
  EXPECT_EQ(levels(own + "/ODBCCon.log"),
            (std::vector<std::string>{"an error", "a warning", "some info", "an error", "a warning",
                                      "some info"}));
  unsigned owner = 0, mode = 0;
  ASSERT_TRUE(edatest::ownerAndMode(own, &owner, &mode));
  EXPECT_EQ(owner, ::geteuid());
  EXPECT_EQ(mode, 0700u);
  for (const char* name : {"/ODBCCon.ini", "/ODBCCon.log"}) {
    ASSERT_TRUE(edatest::ownerAndMode(own + name, &owner, &mode));
    EXPECT_EQ(mode, 0600u) << name;
  }
  EXPECT_EQ(readFile(precious), "keep me\n");
  EXPECT_FALSE(std::filesystem::exists(shared.path("stolen.log")));
  if (planted) {
    EXPECT_EQ(readFile(shared.path("ODBCCon.ini")),
              "LogFile=" + shared.path("stolen.log") + "\nLogLevel=debug\n");
  }
}

TEST_F(ConfigurationTest, PrivateDirectoryOfAnotherUserLeavesTheOperationWithoutALog) {
  if (!edatest::canActAsOtherUser()) GTEST_SKIP() << "needs root to act as a second user";
  edatest::SharedDir shared;
  ASSERT_FALSE(shared.path().empty());
  const std::string own = shared.path("metalink-" + std::to_string(::geteuid()));
  ASSERT_TRUE(edatest::asOtherUser("mkdir -m 777 " + own));
  setenv("TEMP", shared.path().c_str(), 1);
  testing::internal::CaptureStderr();
  for (int call = 1; call <= 2; ++call) {
    CODBCConBase base;
    EXPECT_TRUE(base.isUsable()) << "the operation goes on";
    EXPECT_EQ(base.getLogFile(), "");
    writeEveryLevel();
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "metalink: warning: the directory " + own +
                " is refused: it belongs to another user (uid 65534); going on without "
                "ODBCCon.ini and without a log\n");
  EXPECT_TRUE(std::filesystem::is_empty(own))
      << "nothing was written into the other user's directory";
}

// A TEMP the user set to a private directory is used as it is, with the same care for the files.
TEST_F(ConfigurationTest, FilesOfAnotherUserOrLinksAreRefusedInAPrivateDirectory) {
  if (!edatest::canActAsOtherUser()) GTEST_SKIP() << "needs root to act as a second user";
  const std::string ini = "LogFile=" + env_.path("theirs.log") + "\nLogLevel=debug\n";
  env_.writeIni(ini);
  ASSERT_EQ(::chown(env_.iniPath().c_str(), edatest::kOtherUid, edatest::kOtherUid), 0);
  testing::internal::CaptureStderr();
  {
    CODBCConBase base;
    EXPECT_EQ(base.getLogFile(), env_.defaultLogPath()) << "the defaults apply";
    EXPECT_EQ(base.getLogLevel(), "info");
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "metalink: warning: ODBCCon.ini is refused: " + env_.iniPath() +
                " (it belongs to another user (uid 65534)); the defaults apply\n");
  EXPECT_EQ(readFile(env_.iniPath()), ini) << "the other user's file stays as it was";

  // A log path that is a link: the operation goes on and says so once.
  ASSERT_EQ(::unlink(env_.iniPath().c_str()), 0);
  env_.writeIni("LogFile=" + env_.path("link.log") + "\nLogLevel=info\n");
  ASSERT_EQ(::symlink(env_.path("target").c_str(), env_.path("link.log").c_str()), 0);
  testing::internal::CaptureStderr();
  {
    CODBCConBase base;
    writeEveryLevel();
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "metalink: warning: cannot write the log file " + env_.path("link.log") +
                " (it is a symbolic link); going on without a log\n");
  EXPECT_FALSE(std::filesystem::exists(env_.path("target")));
}

}  // namespace
