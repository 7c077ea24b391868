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

PartWriteStream::PartWriteStream(ContainerPart* part, zip* archive, uint64_t index,
                                 std::FILE* spool, std::string spoolPath)
    : part_(part),
      archive_(archive),
      index_(index),
      spool_(spool),
      spoolPath_(std::move(spoolPath)) {}

PartWriteStream::~PartWriteStream() {
  if (spool_ != nullptr) std::fclose(spool_);
}

Result PartWriteStream::Release() {
  Result result;
  const bool closed = std::fclose(spool_) == 0;
  spool_ = nullptr;
  if (Failed()) {
    // Truncated data is not handed on: the part keeps what it held before.
    result =
        Result::Failure("Cannot keep the data of part " + part_->GetName() + ": a write failed");
  } else if (!closed) {
    result = Result::Failure("Cannot keep the data of part " + part_->GetName() + ": spool file " +
                             String(spoolPath_.c_str()) + " could not be written");
  } else if (zip_source_t* source = zip_source_file(archive_, spoolPath_.c_str(), 0, -1)) {
    if (zip_file_replace(archive_, index_, source, 0) != 0) {
      zip_source_free(source);
      result = Result::Failure("Cannot store the data of part " + part_->GetName() + ": " +
                               String(zip_strerror(archive_)));
    }
  } else {
    result = Result::Failure("Cannot store the data of part " + part_->GetName() + ": " +
                             String(zip_strerror(archive_)));
  }
  part_->StreamReleased();
  delete this;
  return result;
}

long long PartWriteStream::ReadBytes(void*, size_t) { return -1; }

bool PartWriteStream::WriteBytes(const void* buffer, size_t size) {
  return std::fwrite(buffer, 1, size, spool_) == size;
}

}  // namespace vxn_container
