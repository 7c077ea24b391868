// The two part streams that ContainerPart::GetStream hands out.
#pragma once

#include <cstdint>

#include "sdk/spool.h"
#include "sdk/vxn_container_part.h"

struct zip;
struct zip_file;

namespace vxn_container {

// Reads a part's data straight from the archive, decompressing as it goes.
class PartReadStream final : public PartStream {
 public:
  PartReadStream(ContainerPart* part, zip_file* file) : part_(part), file_(file) {}
  vxnxml_api::Result Release() override;

 protected:
  long long ReadBytes(void* buffer, size_t size) override;
  bool WriteBytes(const void* buffer, size_t size) override;

 private:
  ~PartReadStream() override;
  ContainerPart* part_;  // link
  zip_file* file_;       // owned
};

// Collects a part's new data in a region of the container's spool, which begins at `start`;
// Release hands the region to the archive, which reads it when the container is closed.
class PartWriteStream final : public PartStream {
 public:
  PartWriteStream(ContainerPart* part, zip* archive, uint64_t index, Spool* spool, uint64_t start);
  vxnxml_api::Result Release() override;

 protected:
  long long ReadBytes(void* buffer, size_t size) override;
  bool WriteBytes(const void* buffer, size_t size) override;

 private:
  ~PartWriteStream() override;
  ContainerPart* part_;  // link
  zip* archive_;         // link
  uint64_t index_;
  Spool* spool_;  // link; the region is open until Release
  uint64_t start_;
  uint64_t size_ = 0;
};

}  // namespace vxn_container
