#include "sdk/vxn_container_part.h"

#include <zip.h>

#include <memory>
#include <utility>

#include "sdk/part_streams.h"
#include "sdk/vxn_container.h"

namespace vxn_container {

using vxnxml_api::Result;
using vxnxml_api::String;

ContainerPart::ContainerPart(Container* container, uint64_t index, String name, String type)
    : container_(container), index_(index), name_(std::move(name)), type_(std::move(type)) {}

Result ContainerPart::GetStream(int mode, PartStream** stream) {
  *stream = nullptr;
  if (mode == kRead) {
    if ((container_->mode_ & Container::kRead) == 0) {
      return Result::Failure("Container " + container_->path_ + " is not open for reading");
    }
    zip_file_t* file = zip_fopen_index(container_->archive_, index_, 0);
    if (file == nullptr) {
      return Result::Failure("Cannot read part " + name_ + ": " +
                             String(zip_strerror(container_->archive_)));
    }
    *stream = new PartReadStream(this, file);
    ++openStreams_;
    return Result::Success();
  }
  if (mode == kWrite) {
    if (!container_->IsWritable()) {
      return Result::Failure("Container " + container_->path_ + " is not open for writing");
    }
    if (!container_->spool_) container_->spool_ = std::make_unique<Spool>();
    uint64_t start = 0;
    const Result begun = container_->spool_->Begin(name_, &start);
    if (!begun.Ok()) return begun;
    *stream =
        new PartWriteStream(this, container_->archive_, index_, container_->spool_.get(), start);
    ++openStreams_;
    return Result::Success();
  }
  return Result::Failure(String::FromNarrow("Invalid part stream mode " + std::to_string(mode)));
}

Result ContainerPart::Close() {
  if (openStreams_ > 0) return Result::Failure("Part " + name_ + " still has an unreleased stream");
  return Result::Success();
}

}  // namespace vxn_container
