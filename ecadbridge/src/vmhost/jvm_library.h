// Finding and loading the Java VM library at run time, so that the ECAD tool needs neither a
// link-time dependency on it nor a library search path.
#pragma once

#include <jni.h>

#include <string>
#include <vector>

namespace ecadbridge {

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);

// The VM library paths to try, in order: the one under JAVA_HOME (when set and not empty), then
// the one of the JDK the library was built with.
std::vector<std::string> javaVmLibraryCandidates();

// JNI_CreateJavaVM of the first candidate that loads and exports it, or null. The library that
// provides it stays loaded until the process ends (the VM cannot be unloaded). A successful load
// is remembered; a failed one is tried again at the next call.
CreateJavaVmFunction loadCreateJavaVm(const std::vector<std::string>& candidates);

}  // namespace ecadbridge
