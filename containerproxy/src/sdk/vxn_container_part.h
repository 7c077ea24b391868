// vxn_container::ContainerPart and the part stream it hands out.
#pragma once

#include <cstdint>
#include <string>

#include "sdk/vxnxml_result.h"
#include "sdk/vxnxml_stream.h"
#include "sdk/vxnxml_string.h"

namespace vxn_container {

class Container;

// A stream over the data of one part. Whoever receives it calls Release exactly once, before
// the container is closed; Release destroys the stream. Releasing a write stream hands the
// written data to the part; it reaches the file when the container is closed.
class PartStream : public vxnxml_api::Stream {
 public:
  virtual vxnxml_api::Result Release() = 0;

 protected:
  ~PartStream() override = default;
};

// A part is owned by its container and lives until the container is closed.
class ContainerPart {
 public:
  // Stream modes: 1 reads the part's data, 2 replaces it.
  static constexpr int kRead = 1;
  static constexpr int kWrite = 2;

  ContainerPart(const ContainerPart&) = delete;
  ContainerPart& operator=(const ContainerPart&) = delete;

  const vxnxml_api::String& GetName() const { return name_; }
  const vxnxml_api::String& GetType() const { return type_; }

  // On success *stream is a new stream to be released by the caller; on failure it is null.
  // Reading needs a part whose data is stored in the file (not one changed since Open) and
  // fails for data the SDK cannot decode; writing needs a container opened for writing.
  vxnxml_api::Result GetStream(int mode, PartStream** stream);
  // Ends the caller's use of the part; fails while a stream of the part is still unreleased.
  // The part itself stays valid until its container closes.
  vxnxml_api::Result Close();

 private:
  friend class Container;
  friend class PartReadStream;
  friend class PartWriteStream;
  void StreamReleased() { --openStreams_; }
  ContainerPart(Container* container, uint64_t index, vxnxml_api::String name,
                vxnxml_api::String type);

  Container* container_;  // link to the owner
  uint64_t index_;        // entry index in the archive
  vxnxml_api::String name_;
  vxnxml_api::String type_;
  int openStreams_ = 0;
};

}  // namespace vxn_container
