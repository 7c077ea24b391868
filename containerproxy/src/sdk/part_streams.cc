#include "sdk/part_streams.h"

#include <zip.h>

#include <utility>

namespace vxn_container {

using vxnxml_api::Result;
using vxnxml_api::String;

PartReadStream::~PartReadStream() {
  if (file_ != nullptr) zip_fclose(file_);
}

Result PartReadStream::Release() {
  part_->StreamReleased();
  delete this;
  return Result::Success();
}

long long PartReadStream::ReadBytes(void* buffer, size_t size) {
  // A damaged entry shows here: bad compressed data, or a CRC mismatch at its end.
  return static_cast<long long>(zip_fread(file_, buffer, size));
}

bool PartReadStream::WriteBytes(const void*, size_t) { return false; }

PartWriteStream::PartWriteStream(ContainerPart* part, zip* archive, uint64_t index, Spool* spool,
                                 uint64_t start)
    : part_(part), archive_(archive), index_(index), spool_(spool), start_(start) {}

PartWriteStream::~PartWriteStream() = default;

Result PartWriteStream::Release() {
  const bool flushed = spool_->End();
  Result result;
  if (Failed() || !flushed) {
    // Truncated data is not handed on: the part keeps what it held before.
    result = Result::Failure("Cannot keep the data of part " + part_->GetName() +
                             ": the spool file could not be written");
  } else {
    // A length of 0 would mean "to the end of the file" to libzip: empty data is a buffer.
    zip_source_t* source = size_ == 0 ? zip_source_buffer(archive_, nullptr, 0, 0)
                                      : zip_source_file(archive_, spool_->path().c_str(), start_,
                                                        static_cast<zip_int64_t>(size_));
    if (source == nullptr || zip_file_replace(archive_, index_, source, 0) != 0) {
      if (source != nullptr) zip_source_free(source);
      result = Result::Failure("Cannot store the data of part " + part_->GetName() + ": " +
                               String(zip_strerror(archive_)));
    }
  }
  part_->StreamReleased();
  delete this;
  return result;
}

long long PartWriteStream::ReadBytes(void*, size_t) { return -1; }

bool PartWriteStream::WriteBytes(const void* buffer, size_t size) {
  if (!spool_->Append(buffer, size)) return false;
  size_ += size;
  return true;
}

}  // namespace vxn_container
