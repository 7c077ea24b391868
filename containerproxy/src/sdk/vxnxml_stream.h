// vxnxml_api::Stream: a byte stream read and written in units.
#pragma once

#include <cstddef>

namespace vxnxml_api {

class Stream {
 public:
  Stream() = default;
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;
  virtual ~Stream() = default;

  // Reads up to `length` units of `unitSize` bytes into `buffer`, which must hold
  // length * unitSize bytes; `flags` must be 0. Returns the number of whole units read: 0 at the
  // end of the data and on failure, which Failed() tells apart.
  size_t Read(void* buffer, size_t length, size_t unitSize, int flags);
  // Writes `length` units of `unitSize` bytes; returns the number written, 0 on failure.
  size_t Write(const void* buffer, size_t length, size_t unitSize, int flags);

  // True once a read or write has failed (an end of data is no failure).
  bool Failed() const { return failed_; }

 protected:
  // Bytes read, 0 at the end; -1 on failure.
  virtual long long ReadBytes(void* buffer, size_t size) = 0;
  // True when all `size` bytes were written.
  virtual bool WriteBytes(const void* buffer, size_t size) = 0;

 private:
  bool failed_ = false;
};

}  // namespace vxnxml_api
