#include "proxy/container_session.h"

namespace containerproxy {

using vxnxml_api::Result;

Result ContainerSession::Open(const vxnxml_api::String& path, int mode) {
  vxnxml_api::Configuration configuration;
  configuration.Set("format", vxn_container::Container::kFormat);
  vxn_container::Container* container = nullptr;
  const Result opened = vxn_container::Container::Open(path, mode, configuration, &container);
  container_.reset(container);
  return opened;
}

Result ContainerSession::Finish() { return vxn_container::Container::Close(container_.release()); }

JobOutcome finishJob(ContainerSession* session) {
  const Result closed = session->Finish();
  return closed.Ok() ? jobSucceeded() : jobFailed(closed.GetMessage());
}

PartStreamHolder openPartStream(vxn_container::ContainerPart* part, int mode) {
  vxn_container::PartStream* stream = nullptr;
  // A failed GetStream leaves the stream null; the caller then fails without copying.
  part->GetStream(mode, &stream);
  return PartStreamHolder(stream);
}

}  // namespace containerproxy
