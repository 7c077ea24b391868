// Scoped owners for what a job opens through the SDK, so that every path closes the part stream,
// then the part, then the container.
#pragma once

#include <memory>

#include "proxy/job_outcome.h"
#include "sdk/vxn_container.h"

namespace containerproxy {

// Modes in which the jobs open containers.
constexpr int kOpenForReading = 1;
constexpr int kOpenForUpdate = 3;
constexpr int kOpenOrCreate = 19;

// One open container. Finish writes its changes and closes it; if a job returns early the
// destructor discards it, so a failed job leaves the container file as it was.
class ContainerSession {
 public:
  ContainerSession() = default;
  ContainerSession(const ContainerSession&) = delete;
  ContainerSession& operator=(const ContainerSession&) = delete;
  ~ContainerSession() = default;

  // Opens with the configuration every job uses ("format" = "ZRM").
  vxnxml_api::Result Open(const vxnxml_api::String& path, int mode);
  vxnxml_api::Result Finish();
  vxn_container::Container* operator->() const { return container_.get(); }

 private:
  std::unique_ptr<vxn_container::Container> container_;
};

// Finishes the session; the container's close is examined, unlike the part and stream closes:
// for a container opened for writing it is where the changes are written, and a failed write
// must not pass for success.
JobOutcome finishJob(ContainerSession* session);

// Closes a part when the scope ends.
class PartUse {
 public:
  explicit PartUse(vxn_container::ContainerPart* part) : part_(part) {}
  PartUse(const PartUse&) = delete;
  PartUse& operator=(const PartUse&) = delete;
  ~PartUse() {
    if (part_ != nullptr) part_->Close();
  }

 private:
  vxn_container::ContainerPart* part_;  // owned by the container
};

struct StreamRelease {
  void operator()(vxn_container::PartStream* stream) const { stream->Release(); }
};
// A part stream released when the scope ends; release() it to examine Release's result.
using PartStreamHolder = std::unique_ptr<vxn_container::PartStream, StreamRelease>;

// Gets a stream of `part` in `mode`; null when the part yields none.
PartStreamHolder openPartStream(vxn_container::ContainerPart* part, int mode);

}  // namespace containerproxy
