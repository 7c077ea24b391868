#include "vmhost/vm_options.h"

#include "platform/files.h"
#include "vmhost/class_path.h"

namespace ecadbridge {
namespace {

std::string seedOrCurrentDirectory(const char* seed) {
  if (seed != nullptr && *seed != '\0') return seed;
  return std::string(".") + platform::kPathListSeparator;
}

// `prefix` + the variable's value when it is set and not empty, else `prefix` + `fallback`.
std::string sizeOption(const char* prefix, const char* variable, const char* fallback) {
  std::string value;
  if (!platform::getEnv(variable, &value) || value.empty()) value = fallback;
  return prefix + value;
}

}  // namespace

std::vector<std::string> buildJavaVmOptions(const char* classPathSeed,
                                            const char* libraryPathSeed) {
  std::string classPath = seedOrCurrentDirectory(classPathSeed);
  std::string libraryPath = seedOrCurrentDirectory(libraryPathSeed);
  setJNIClassPath(&classPath);
  appendFileServicePaths(&libraryPath);

  std::vector<std::string> options;
  options.push_back("-Djava.class.path=" + classPath);
  options.push_back("-Djava.library.path=" + libraryPath);
  options.push_back("-verbose:jni");
  options.push_back(sizeOption("-Xms", "MVEDAECAD_JVM_MIN_HEAPSIZE", "128m"));
  options.push_back(sizeOption("-Xmx", "MVEDAECAD_JVM_MAX_HEAPSIZE", "400m"));
  // Set but empty still counts here: the VM then uses the empty text as the locale part.
  std::string value;
  if (platform::getEnv("MVEDAECAD_LANGUAGE", &value)) options.push_back("-Duser.language=" + value);
  if (platform::getEnv("MVEDAECAD_COUNTRY", &value)) options.push_back("-Duser.country=" + value);
  return options;
}

}  // namespace ecadbridge
