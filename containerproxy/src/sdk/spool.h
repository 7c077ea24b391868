// The temporary file that holds the new data of the parts written while a container is open.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "sdk/vxnxml_result.h"

namespace vxn_container {

// Each written part takes one region of a single file, so that a large part is never held in
// memory and thousands of parts do not cost thousands of files; the archive reads the regions
// when the container is closed. One region is written at a time.
class Spool {
 public:
  Spool() = default;
  Spool(const Spool&) = delete;
  Spool& operator=(const Spool&) = delete;
  ~Spool();  // closes and removes the file

  // Starts a region at the end of the file (made in the temporary directory on first use). Fails
  // when the file cannot be made or the previous region has not ended.
  vxnxml_api::Result Begin(const vxnxml_api::String& partName, uint64_t* start);
  bool Append(const void* data, size_t size);
  // Ends the region; false when its data could not be written out.
  bool End();
  const std::string& path() const { return path_; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  bool regionOpen_ = false;
};

}  // namespace vxn_container
