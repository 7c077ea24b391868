#include "sdk/spool.h"

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
    std::string error;
    file_ = platform::createTemporaryFile(dir, "vxn-spool-", &path_, &error);
    if (file_ == nullptr) {
      return Result::Failure("Cannot write part " + partName + ": no spool file in " +
                             String::FromNarrow(dir) + ": " + String::FromNarrow(error));
    }
  }
  // A region that failed half way may have left the position anywhere.
  // long is 64 bits on our targets, so a spool past 2 GB is still measured right.
  static_assert(sizeof(long) >= sizeof(uint64_t), "ftell covers large spool files");
  const long end = std::fseek(file_, 0, SEEK_END) == 0 ? std::ftell(file_) : -1;
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
