#include "vmhost/message_sink.h"

#include <cstdio>

#include "ecadbridge/eda.h"

namespace ecadbridge {
namespace {

// Process-wide like the VM itself; set by the host before or between calls, read on the calling
// thread (the library is single-threaded by contract).
ecadbridge_message_handler gHandler = nullptr;
void* gContext = nullptr;

}  // namespace

void showMessage(const std::string& text) {
  if (gHandler != nullptr) {
    gHandler(kMessageCaption, text.c_str(), gContext);
    return;
  }
  std::fprintf(stderr, "%s: %s\n", kMessageCaption, text.c_str());
  std::fflush(stderr);
}

}  // namespace ecadbridge

extern "C" void ecadbridge_setMessageHandler(ecadbridge_message_handler handler, void* context) {
  ecadbridge::gHandler = handler;
  ecadbridge::gContext = context;
}
