#include "vmhost/jvm_library.h"

#include "platform/dynamic_library.h"
#include "platform/files.h"

#ifndef EDA_JDK_HOME
#error "EDA_JDK_HOME must name the JDK found at build time"
#endif

namespace ecadbridge {
namespace {

std::string libraryUnder(const std::string& javaHome) { return javaHome + "/lib/server/libjvm.so"; }

CreateJavaVmFunction gCreateJavaVm = nullptr;

}  // namespace

std::vector<std::string> javaVmLibraryCandidates() {
  std::vector<std::string> candidates;
  std::string javaHome;
  if (platform::getEnv("JAVA_HOME", &javaHome) && !javaHome.empty()) {
    candidates.push_back(libraryUnder(javaHome));
  }
  const std::string builtWith = libraryUnder(EDA_JDK_HOME);
  if (candidates.empty() || candidates.front() != builtWith) candidates.push_back(builtWith);
  return candidates;
}

CreateJavaVmFunction loadCreateJavaVm(const std::vector<std::string>& candidates) {
  if (gCreateJavaVm != nullptr) return gCreateJavaVm;
  for (const std::string& path : candidates) {
    platform::DynamicLibrary library;
    if (!library.open(path)) continue;
    void* create = library.symbol("JNI_CreateJavaVM");
    if (create == nullptr) continue;
    library.release();
    gCreateJavaVm = reinterpret_cast<CreateJavaVmFunction>(create);
    return gCreateJavaVm;
  }
  return nullptr;
}

}  // namespace ecadbridge
