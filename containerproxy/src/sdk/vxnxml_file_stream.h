// vxnxml_api::FileStream: a file on disk as a Stream.
#pragma once

#include <cstdio>

#include "sdk/vxnxml_result.h"
#include "sdk/vxnxml_stream.h"
#include "sdk/vxnxml_string.h"

namespace vxnxml_api {

class FileStream : public Stream {
 public:
  // Open modes: 1 reads an existing file, 2 creates or truncates a file for writing.
  static constexpr int kRead = 1;
  static constexpr int kWrite = 2;

  FileStream() = default;
  ~FileStream() override;  // closes the file; a failure then goes unreported

  // Fails for a missing or unreadable file (mode 1), a file that cannot be created (mode 2), a
  // directory, a path with a NUL in it, any other mode, or a stream that is already open.
  Result Open(const String& path, int mode);
  // Fails when buffered data could not be written; closing a closed stream succeeds.
  Result Close();
  bool IsOpen() const { return file_ != nullptr; }

 protected:
  long long ReadBytes(void* buffer, size_t size) override;
  bool WriteBytes(const void* buffer, size_t size) override;

 private:
  std::FILE* file_ = nullptr;
  int mode_ = 0;
  String path_;
};

}  // namespace vxnxml_api
