#include "sdk/spool.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files.h"
#include "platform/private_files.h"

namespace vxn_container {

using vxnxml_api::Result;
using vxnxml_api::String;

constexpr const char* kUserDirectoryPrefix = "vxncontainer";

Spool::~Spool() {
  if (file_ == nullptr) return;
  std::fclose(file_);
  std::remove(path_.c_str());
}

Result Spool::Begin(const String& partName, uint64_t* start) {
  if (regionOpen_) {
    return Result::Failure("Cannot write part " + partName +
                           ": the stream of another part is still open");
  }
  if (file_ == nullptr) {
    // The archive reopens the file by name when the container is closed: in a shared temporary
    // directory it lives in a directory of the user's own, where nobody can swap it.
    std::string dir, refused;
    if (!platform::userDirectory(platform::tempDirectory(), kUserDirectoryPrefix, &dir, &refused)) {
      return Result::Failure("Cannot write part " + partName + ": " + String(refused.c_str()));
    }
    std::string pattern = platform::joinPath(dir, "vxn-spool-XXXXXX");
    const int fd = mkstemp(pattern.data());
    std::FILE* file = fd < 0 ? nullptr : fdopen(fd, "w+b");
    if (file == nullptr) {
      const int error = errno;
      if (fd >= 0) {
        ::close(fd);
        std::remove(pattern.c_str());
      }
      return Result::Failure("Cannot write part " + partName + ": no spool file in " +
                             String(dir.c_str()) + ": " + String(std::strerror(error)));
    }
    file_ = file;
    path_ = pattern;
  }
  // A region that failed half way may have left the position anywhere.
  const off_t end = std::fseek(file_, 0, SEEK_END) == 0 ? ftello(file_) : -1;
  if (end < 0) return Result::Failure("Cannot write part " + partName + ": spool file unusable");
  *start = static_cast<uint64_t>(end);
  regionOpen_ = true;
  return Result::Success();
}

bool Spool::Append(const void* data, size_t size) {
  return regionOpen_ && std::fwrite(data, 1, size, file_) == size;
}

bool Spool::End() {
  regionOpen_ = false;
  // The archive opens the file by name at Close, so the data must leave our buffer.
  return std::fflush(file_) == 0;
}

}  // namespace vxn_container
