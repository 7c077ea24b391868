// The option list the Java VM is started with.
#pragma once

#include <string>
#include <vector>

namespace ecadbridge {

// The VM options in their fixed order: class path, library path, "-verbose:jni", initial and
// maximum heap, then the language and country options when their variables are set. The seeds
// are the CLASSPATH and PATH values (null or empty: the current directory). Reads the
// MVEDAECAD_* and DXS_HOME variables and shows the class path messages; starts nothing, so it
// can be called without a VM.
std::vector<std::string> buildJavaVmOptions(const char* classPathSeed, const char* libraryPathSeed);

}  // namespace ecadbridge
