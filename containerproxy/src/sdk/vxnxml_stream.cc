#include "sdk/vxnxml_stream.h"

#include <limits>

namespace vxnxml_api {
namespace {

// length * unitSize in bytes; false for arguments no buffer can satisfy.
bool byteCount(const void* buffer, size_t length, size_t unitSize, int flags, size_t* bytes) {
  if (buffer == nullptr || unitSize == 0 || flags != 0) return false;
  if (length > std::numeric_limits<size_t>::max() / unitSize) return false;
  *bytes = length * unitSize;
  return true;
}

}  // namespace

size_t Stream::Read(void* buffer, size_t length, size_t unitSize, int flags) {
  size_t bytes = 0;
  if (failed_ || !byteCount(buffer, length, unitSize, flags, &bytes)) {
    failed_ = true;
    return 0;
  }
  // Fill whole units: a short read in the middle of the data would otherwise drop a partial unit.
  char* out = static_cast<char*>(buffer);
  size_t got = 0;
  while (got < bytes) {
    const long long n = ReadBytes(out + got, bytes - got);
    if (n < 0) {
      failed_ = true;
      return 0;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return got / unitSize;
}

size_t Stream::Write(const void* buffer, size_t length, size_t unitSize, int flags) {
  size_t bytes = 0;
  if (failed_ || !byteCount(buffer, length, unitSize, flags, &bytes)) {
    failed_ = true;
    return 0;
  }
  if (bytes == 0) return 0;
  if (!WriteBytes(buffer, bytes)) {
    failed_ = true;
    return 0;
  }
  return length;
}

}  // namespace vxnxml_api
