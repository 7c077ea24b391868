// Makes the seed containers of the container fuzz target from sample files:
//   container_seed OUTPUT_DIRECTORY FILE...
// writes OUTPUT_DIRECTORY/empty.vxn (no parts, no properties) and OUTPUT_DIRECTORY/samples.vxn
// (each FILE as a part named after it, and properties under the key "ecad").
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "sdk/vxn_container.h"

namespace {

using vxn_container::Container;
using vxn_container::ContainerPart;
using vxn_container::PartStream;

bool check(const vxnxml_api::Result& result) {
  if (!result.Ok()) std::fprintf(stderr, "container_seed: %s\n", result.GetMessage().GetNarrow());
  return result.Ok();
}

bool makeContainer(const std::string& path, int argc, char** argv) {
  vxnxml_api::Configuration configuration;
  configuration.Set("format", Container::kFormat);
  std::remove(path.c_str());
  Container* container = nullptr;
  if (!check(Container::Open(path.c_str(), 19, configuration, &container))) return false;
  bool ok = true;
  for (int i = 0; ok && i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string name = argv[i];
    name = name.substr(name.rfind('/') + 1);
    ContainerPart* part = nullptr;
    ok = check(container->CreatePart(name.c_str(), "xml", &part));
    PartStream* stream = nullptr;
    ok = ok && check(part->GetStream(ContainerPart::kWrite, &stream));
    if (stream != nullptr) {
      ok = stream->Write(bytes.data(), bytes.size(), 1, 0) == bytes.size() || bytes.empty();
      ok = check(stream->Release()) && ok;
    }
    if (part != nullptr) part->Close();
  }
  if (argc > 0) {
    ok = ok && check(container->SetProperty("Owner", "Morvane", "ecad"));
    ok = ok && check(container->SetProperty("Revision", "B.2", "ecad"));
  }
  return check(Container::Close(container)) && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: container_seed OUTPUT_DIRECTORY FILE...\n");
    return 2;
  }
  const std::string dir = argv[1];
  const bool ok = makeContainer(dir + "/empty.vxn", 0, nullptr) &&
                  makeContainer(dir + "/samples.vxn", argc - 2, argv + 2);
  return ok ? 0 : 1;
}
