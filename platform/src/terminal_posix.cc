// POSIX implementation of the terminal services.
#include <langinfo.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "platform/terminal.h"

namespace platform {
namespace {

constexpr int kSignals[] = {SIGINT, SIGQUIT, SIGHUP, SIGTERM};

// What the signal handler needs to put back; set only while a hidden line is being read.
struct termios savedTerminal;
struct sigaction savedActions[std::size(kSignals)];

void restoreAndResend(int signal) {
  ::tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
  for (size_t i = 0; i < std::size(kSignals); ++i) {
    if (kSignals[i] == signal) ::sigaction(signal, &savedActions[i], nullptr);
  }
  ::raise(signal);
}

}  // namespace

bool isTerminal(StandardStream stream) {
  const int fd = stream == StandardStream::kInput    ? STDIN_FILENO
                 : stream == StandardStream::kOutput ? STDOUT_FILENO
                                                     : STDERR_FILENO;
  return ::isatty(fd) != 0;
}

bool readHiddenLine(const std::string& prompt, std::string* line) {
  line->clear();
  if (::tcgetattr(STDIN_FILENO, &savedTerminal) != 0) return false;
  struct sigaction action = {};
  action.sa_handler = restoreAndResend;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < std::size(kSignals); ++i) {
    ::sigaction(kSignals[i], nullptr, &savedActions[i]);
    // A signal the host ignores stays ignored.
    if (savedActions[i].sa_handler != SIG_IGN) ::sigaction(kSignals[i], &action, nullptr);
  }
  struct termios hidden = savedTerminal;
  hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  hidden.c_lflag |= ECHONL;  // the newline still shows, so the next output starts a new line
  const bool hiddenSet = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden) == 0;

  bool complete = false;
  if (hiddenSet) {
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    char c;
    for (;;) {
      const ssize_t n = ::read(STDIN_FILENO, &c, 1);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      if (c == '\n') {
        complete = true;
        break;
      }
      line->push_back(c);
    }
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
  }
  for (size_t i = 0; i < std::size(kSignals); ++i) {
    ::sigaction(kSignals[i], &savedActions[i], nullptr);
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  if (!complete) line->clear();
  return complete;
}

void useUtf8Locale() {
  std::setlocale(LC_ALL, "");
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
}

}  // namespace platform
