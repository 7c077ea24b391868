// How the metalink tool takes a password: from a file only its owner can read, from the
// environment, or from a prompt without echo on a terminal; never from where other users can see
// it. The PostgreSQL test server checks the password, so a login proves it arrived.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "odbc_test_database.h"
#include "platform/text.h"
#include "testsupport/scoped_env.h"
#include "testsupport/temp_dir.h"

namespace {

struct Outcome {
  int status = -1;
  std::string output;  // standard output and error together
};

std::vector<char*> argvOf(std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(METALINK_TOOL));
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  return argv;
}

int exitStatus(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Reads from `fd` until `wanted` has appeared in *text, or to the end when `wanted` is empty.
// False on time-out.
bool readUntil(int fd, const std::string& wanted, std::string* text) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (wanted.empty() || text->find(wanted) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[512];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return wanted.empty();  // a terminal reports its far end's close as EIO
    text->append(buffer, static_cast<size_t>(n));
  }
  return true;
}

// Runs the tool with standard input from /dev/null (no terminal).
Outcome runTool(std::vector<std::string> args) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  std::vector<char*> argv = argvOf(args);
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO);
    dup2(pipeFds[1], STDOUT_FILENO);
    dup2(pipeFds[1], STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  Outcome outcome;
  readUntil(pipeFds[0], "", &outcome.output);
  close(pipeFds[0]);
  outcome.status = exitStatus(pid);
  return outcome;
}

// Starts the tool on a new pseudo-terminal, as a user at a terminal would; -1 on failure.
pid_t startOnTerminal(std::vector<std::string> args, int* terminal) {
  std::vector<char*> argv = argvOf(args);
  const pid_t pid = forkpty(terminal, nullptr, nullptr, nullptr);
  if (pid == 0) {
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

std::string commandLine(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class PasswordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    dir_ = scratch_.path();
  }
  void TearDown() override {
    if (database_) database_->execute("DROP ROLE IF EXISTS " + role_);
  }

  // A login role of the test server with a password that appears nowhere else.
  void makeRole() {
    std::string error;
    database_ = edatest::TestDatabase::create(edatest::OdbcDriver::kPostgres, &error);
    ASSERT_NE(database_, nullptr) << error;
    dsn_ = platform::utf16ToUtf8(database_->dsn());
    role_ = "metalink_pw_" + std::to_string(getpid());
    password_ = "Qz7-" + std::to_string(getpid()) + "-hidden";
    ASSERT_TRUE(
        database_->execute("CREATE ROLE " + role_ + " LOGIN PASSWORD '" + password_ + "'", &error))
        << error;
  }

  std::string writeFile(const std::string& name, const std::string& text, mode_t mode) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::trunc) << text;
    chmod(path.c_str(), mode);
    return path;
  }

  std::vector<std::string> check(const std::string& user) const {
    return {"check", "--dsn", dsn_, "--user", user};
  }

  testsupport::TempDir scratch_{"metalink-password"};
  // The tool's own settings and log stay in this test's directory.
  testsupport::ScopedEnv temp_{"TEMP", scratch_.path().c_str()};
  testsupport::ScopedEnv noPassword_{"METALINK_PASSWORD", nullptr};
  std::string dir_;
  std::unique_ptr<edatest::TestDatabase> database_;
  std::string dsn_, role_, password_;
};

constexpr const char* kOpened = "The data source can be opened.";

TEST_F(PasswordTest, HelpDocumentsEveryWayToGiveThePassword) {
  for (std::vector<std::string> args :
       {std::vector<std::string>{"--help"}, std::vector<std::string>{"check", "--help"}}) {
    const Outcome help = runTool(args);
    EXPECT_EQ(help.status, 0);
    for (const char* part : {"--password-file FILE", "METALINK_PASSWORD", "prompt without echo",
                             "--password also works"}) {
      EXPECT_NE(help.output.find(part), std::string::npos) << args[0] << ": " << part;
    }
  }
}

TEST_F(PasswordTest, PasswordFileOthersCanReadIsRefused) {
  const std::string file = writeFile("password", "secret\n", 0644);
  const Outcome run = runTool({"check", "--dsn", "Anything", "--password-file", file});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.output.find("the password file " + file +
                            " is refused: other users can read or "
                            "change it (mode 0644)"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("secret"), std::string::npos);

  const Outcome both =
      runTool({"check", "--dsn", "Anything", "--password", "x", "--password-file", file});
  EXPECT_EQ(both.status, 2) << both.output;
}

TEST_F(PasswordTest, PostgresPasswordFromAFile) {
  makeRole();
  const std::string good = writeFile("good", password_ + "\n", 0600);
  const std::string bad = writeFile("bad", "wrong\n", 0600);
  std::vector<std::string> args = check(role_);
  args.insert(args.end(), {"--password-file", good});
  const Outcome opened = runTool(args);
  EXPECT_EQ(opened.status, 0) << opened.output;
  EXPECT_NE(opened.output.find(kOpened), std::string::npos) << opened.output;
  EXPECT_EQ(opened.output.find(password_), std::string::npos);

  args.back() = bad;
  EXPECT_EQ(runTool(args).status, 1);
}

TEST_F(PasswordTest, PostgresPasswordFromTheEnvironment) {
  makeRole();
  setenv("METALINK_PASSWORD", password_.c_str(), 1);
  const Outcome opened = runTool(check(role_));
  EXPECT_EQ(opened.status, 0) << opened.output;
  EXPECT_EQ(opened.output.find(password_), std::string::npos);
  setenv("METALINK_PASSWORD", "wrong", 1);
  EXPECT_EQ(runTool(check(role_)).status, 1);
  // Without any password, and no terminal to ask on, the login is refused.
  unsetenv("METALINK_PASSWORD");
  EXPECT_EQ(runTool(check(role_)).status, 1);
}

TEST_F(PasswordTest, PostgresPasswordOnTheCommandLineStillWorksAndWarns) {
  makeRole();
  std::vector<std::string> args = check(role_);
  args.insert(args.end(), {"--password", password_});
  const Outcome opened = runTool(args);
  EXPECT_EQ(opened.status, 0) << opened.output;
  EXPECT_NE(opened.output.find("metalink: warning: --password can be seen by every user of this "
                               "machine"),
            std::string::npos)
      << opened.output;
}

TEST_F(PasswordTest, PostgresPasswordFromAPromptWithoutEcho) {
  makeRole();
  int terminal = -1;
  const pid_t pid = startOnTerminal(check(role_), &terminal);
  ASSERT_GE(pid, 0);
  std::string output;
  ASSERT_TRUE(readUntil(terminal, "Password for " + role_ + ": ", &output)) << output;
  // While it waits for the password: echo is off, and the command line holds no password.
  termios settings;
  ASSERT_EQ(tcgetattr(terminal, &settings), 0);
  EXPECT_EQ(settings.c_lflag & ECHO, 0u);
  const std::string cmdline = commandLine(pid);
  EXPECT_NE(cmdline.find(role_), std::string::npos) << "the process is the tool";
  EXPECT_EQ(cmdline.find(password_), std::string::npos);

  const std::string typed = password_ + "\n";
  ASSERT_EQ(write(terminal, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  EXPECT_TRUE(readUntil(terminal, "", &output));
  close(terminal);
  EXPECT_EQ(exitStatus(pid), 0) << output;
  EXPECT_NE(output.find(kOpened), std::string::npos) << output;
  EXPECT_EQ(output.find(password_), std::string::npos) << "the password was not echoed";
}

TEST_F(PasswordTest, PromptEndedOrInterruptedLeavesTheTerminalAsItWas) {
  int terminal = -1;
  pid_t pid = startOnTerminal(check("someone"), &terminal);
  ASSERT_GE(pid, 0);
  std::string output;
  ASSERT_TRUE(readUntil(terminal, "Password for someone: ", &output)) << output;
  ASSERT_EQ(write(terminal, "\x04", 1), 1);  // end of input at an empty line
  EXPECT_TRUE(readUntil(terminal, "", &output));
  close(terminal);
  EXPECT_EQ(exitStatus(pid), 2) << output;
  EXPECT_NE(output.find("no password was entered"), std::string::npos) << output;

  // Interrupted at the prompt: the tool dies of the signal, with echo back on.
  pid = startOnTerminal(check("someone"), &terminal);
  ASSERT_GE(pid, 0);
  output.clear();
  ASSERT_TRUE(readUntil(terminal, "Password for someone: ", &output)) << output;
  ASSERT_EQ(kill(pid, SIGINT), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
  termios settings;
  ASSERT_EQ(tcgetattr(terminal, &settings), 0);
  EXPECT_NE(settings.c_lflag & ECHO, 0u);
  close(terminal);
}

}  // namespace
