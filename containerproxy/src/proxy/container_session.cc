#include "proxy/container_session.h"

namespace containerproxy {

using vxnxml_api::Result;

ContainerSession::~ContainerSession() { vxn_container::Container::Close(container_); }

Result ContainerSession::Open(const vxnxml_api::String& path, int mode) {
  vxnxml_api::Configuration configuration;
  configuration.Set("format", vxn_container::Container::kFormat);
  return vxn_container::Container::Open(path, mode, configuration, &container_);
}

Result ContainerSession::Finish() {
  vxn_container::Container* container = container_;
  container_ = nullptr;
  return vxn_container::Container::Close(container);
}

PartStreamHolder openPartStream(vxn_container::ContainerPart* part, int mode) {
  vxn_container::PartStream* stream = nullptr;
  // A failed GetStream leaves the stream null; the caller then fails without copying.
  part->GetStream(mode, &stream);
  return PartStreamHolder(stream);
}

}  // namespace containerproxy
