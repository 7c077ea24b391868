#include "proxy/part_copy.h"

#include <new>

#include "sdk/vxnxml_file_stream.h"

namespace containerproxy {
namespace {

using vxnxml_api::FileStream;
using vxnxml_api::Stream;

// A read of 0 ends the copy; Failed() tells a read error from the end of the data, so that a
// damaged source is not passed off as a complete copy.
bool copyStream(Stream* from, Stream* to) {
  char buffer[kCopyBufferSize];
  for (;;) {
    const size_t n = from->Read(buffer, kCopyBufferSize, 1, 0);
    if (n == 0) return !from->Failed();
    if (to->Write(buffer, n, 1, 0) == 0) return false;
  }
}

}  // namespace

bool copyPartToFile(vxn_container::PartStream* part, const vxnxml_api::String& path) {
  FileStream file;
  if (!file.Open(path, FileStream::kWrite).Ok()) return false;
  try {
    if (!copyStream(part, &file)) {
      file.Discard();
      return false;
    }
    // Closing flushes the last block (a full disk may only show here) and puts the file in place.
    return file.Close().Ok();
  } catch (const std::exception&) {
    file.Discard();
    return false;
  }
}

bool copyFileToPart(const vxnxml_api::String& path, vxn_container::PartStream* part) {
  FileStream file;
  if (!file.Open(path, FileStream::kRead).Ok()) return false;
  try {
    const bool copied = copyStream(&file, part);
    file.Close();
    return copied;
  } catch (const std::exception&) {
    file.Close();
    return false;
  }
}

}  // namespace containerproxy
