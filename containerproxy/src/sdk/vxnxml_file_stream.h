// vxnxml_api::FileStream: a file on disk as a Stream.
#pragma once

#include <cstdio>

#include "platform/file_replacement.h"
#include "sdk/vxnxml_result.h"
#include "sdk/vxnxml_stream.h"
#include "sdk/vxnxml_string.h"

namespace vxnxml_api {

class FileStream : public Stream {
 public:
  // Open modes: 1 reads an existing file, 2 writes a new file that replaces the path at Close.
  // In mode 2 the data goes to a temporary file beside the path; Close puts it in place, so what
  // the path named (a file, or a symbolic link, which is never followed) is replaced only by a
  // complete file, and nothing outside the path's directory is ever written.
  static constexpr int kRead = 1;
  static constexpr int kWrite = 2;

  FileStream() = default;
  // Closes a file opened for reading; a file being written that was not closed is discarded.
  ~FileStream() override;

  // Fails for a missing or unreadable file (mode 1), a path where no file can be created or that
  // names a directory, FIFO, device or socket (mode 2), a path with a NUL in it, any other mode,
  // or a stream that is already open.
  Result Open(const String& path, int mode);
  // Fails when the data could not be written or put in place; closing a closed stream succeeds.
  Result Close();
  // Drops what was written in mode 2; the path keeps what it had.
  void Discard();
  bool IsOpen() const { return file_ != nullptr; }

 protected:
  long long ReadBytes(void* buffer, size_t size) override;
  bool WriteBytes(const void* buffer, size_t size) override;

 private:
  std::FILE* file_ = nullptr;  // in mode 2, the replacement's file
  platform::FileReplacement replacement_;
  int mode_ = 0;
  String path_;
};

}  // namespace vxnxml_api
