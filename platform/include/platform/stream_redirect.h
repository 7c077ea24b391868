// Pointing one of the process's standard streams at a file, and giving it back.
#pragma once

#include "platform/terminal.h"

namespace platform {

// Redirects a standard stream (its C stream and its file descriptor, so that C++ streams and
// child processes follow) to a file, and later restores what the descriptor pointed to before.
// Restoring, rather than closing the stream, keeps the stream usable for the rest of the process.
class StreamRedirect {
 public:
  // kOutput or kError; kInput is never redirected.
  explicit StreamRedirect(StandardStream stream) : stream_(stream) {}
  ~StreamRedirect() { restore(); }

  StreamRedirect(const StreamRedirect&) = delete;
  StreamRedirect& operator=(const StreamRedirect&) = delete;

  // Creates or truncates path and sends the stream there. False when the file cannot be opened or
  // path is null or empty; the stream is then left as it was. In a shared directory the file must
  // be the caller's own and is reached without a link; a new one is made readable by its owner
  // only. Redirecting again while redirected
  // switches files and still restores the original target at the end.
  bool redirect(const char* path);

  // Flushes the stream, closes the file and points the stream back at its earlier target. Does
  // nothing when not redirected.
  void restore();

  bool active() const { return saved_ >= 0; }

 private:
  StandardStream stream_;
  int saved_ = -1;  // duplicate of the descriptor's earlier target while redirected
};

}  // namespace platform
