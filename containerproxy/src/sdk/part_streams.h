// The two part streams that ContainerPart::GetStream hands out.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

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

// Collects a part's new data in a spool file, so that a large part is never held in memory;
// Release hands the spool file to the archive, which reads it when the container is closed.
class PartWriteStream final : public PartStream {
 public:
  // `spool` is open for writing at `spoolPath`; the stream owns it.
  PartWriteStream(ContainerPart* part, zip* archive, uint64_t index, std::FILE* spool,
                  std::string spoolPath);
  vxnxml_api::Result Release() override;

 protected:
  long long ReadBytes(void* buffer, size_t size) override;
  bool WriteBytes(const void* buffer, size_t size) override;

 private:
  ~PartWriteStream() override;
  ContainerPart* part_;  // link
  zip* archive_;         // link
  uint64_t index_;
  std::FILE* spool_;
  std::string spoolPath_;
};

}  // namespace vxn_container
