#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/private_files.h"
#include "platform/stream_redirect.h"

namespace platform {
namespace {

std::FILE* cStream(StandardStream stream) {
  return stream == StandardStream::kError ? stderr : stdout;
}
int descriptor(StandardStream stream) {
  return stream == StandardStream::kError ? STDERR_FILENO : STDOUT_FILENO;
}

}  // namespace

bool StreamRedirect::redirect(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  // In a directory other users can write to, such as /tmp, a link or a file planted at the path
  // must not receive the output, and the output must not be readable by them.
  std::string refused;
  const int file = isInSharedDirectory(path)
                       ? openOwnFileDescriptor(path, OwnFileMode::kReplace, &refused)
                       : ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (file < 0) return false;

  if (saved_ < 0) {
    saved_ = ::fcntl(descriptor(stream_), F_DUPFD_CLOEXEC, 3);
    // A process without this stream (a GUI host) gets /dev/null back, so the descriptor number is
    // never left free for an unrelated file to take.
    if (saved_ < 0) saved_ = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ < 0) {
      ::close(file);
      return false;
    }
  }
  std::fflush(cStream(stream_));
  bool switched = ::dup2(file, descriptor(stream_)) >= 0;
  ::close(file);
  std::clearerr(cStream(stream_));
  return switched;
}

void StreamRedirect::restore() {
  if (saved_ < 0) return;
  std::fflush(cStream(stream_));
  ::dup2(saved_, descriptor(stream_));
  ::close(saved_);
  saved_ = -1;
  std::clearerr(cStream(stream_));
}

}  // namespace platform
