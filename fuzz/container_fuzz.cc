// libFuzzer target: any bytes as a container file, opened for reading through the container SDK
// the way the extraction and property natives read it: every part streamed to its end, the
// properties of the keys the seeds use read.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "sdk/vxn_container.h"

namespace {

using vxn_container::Container;
using vxn_container::ContainerPart;
using vxn_container::PartStream;

std::string gFile;
volatile size_t gSink;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gFile = fuzz::scratchDirectory("container_fuzz") + "/input.vxn";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::writeInput(gFile, data, size);
  vxnxml_api::Configuration configuration;
  configuration.Set("format", Container::kFormat);
  Container* container = nullptr;
  if (!Container::Open(gFile.c_str(), Container::kRead, configuration, &container).Ok()) {
    if (container != nullptr) __builtin_trap();
    return 0;
  }
  std::vector<ContainerPart*> parts;
  if (container->GetParts(&parts).Ok()) {
    for (ContainerPart* part : parts) {
      gSink = gSink + part->GetName().GetLength() + part->GetType().GetLength();
      ContainerPart* byName = nullptr;
      if (!container->GetPart(part->GetName(), &byName).Ok() || byName == nullptr) {
        __builtin_trap();
      }
      PartStream* stream = nullptr;
      if (part->GetStream(ContainerPart::kRead, &stream).Ok()) {
        char buffer[1024];
        while (size_t n = stream->Read(buffer, sizeof buffer, 1, 0)) gSink = gSink + n;
        stream->Release();
      }
      part->Close();
    }
  }
  for (const char* key : {"", "ecad", "default"}) {
    std::map<vxnxml_api::String, vxnxml_api::String> properties;
    if (!container->GetProperties(key, &properties).Ok()) continue;
    for (const auto& property : properties) {
      gSink = gSink + property.first.GetLength() + property.second.GetLength();
    }
  }
  Container::Close(container);
  return 0;
}
