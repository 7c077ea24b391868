// Assembly of the Java class path and native library path from the installation's directories:
// MVEDAECAD_ROOT (the ECAD integration) and DXS_HOME (the file services).
#pragma once

#include <string>
#include <vector>

namespace ecadbridge {

// Longest directory/name text a listing returns; longer ones are left out rather than cut,
// because a cut path names a file that does not exist.
inline constexpr size_t kMaxListedPath = 259;

// The "directory/name" texts of the entries of `directory` (directories too) whose name has a
// "." and whose text after the last "." equals `extension` exactly (case-sensitive). Sorted by
// name, so the class path does not depend on the file system's order. Empty when the directory
// cannot be read.
std::vector<std::string> listFilesWithExtension(const std::string& directory,
                                                const std::string& extension);

// Appends the root directory, the root's jars and DXS_HOME/jar's jars to `classPath`, each after
// a path list separator. When MVEDAECAD_ROOT or DXS_HOME is unset it shows why and leaves the text
// unchanged.
void setJNIClassPath(std::string* classPath);

// Appends DXS_HOME/bin and DXS_HOME/lib to `libraryPath` when DXS_HOME is set; the text then ends
// with a separator.
void appendFileServicePaths(std::string* libraryPath);

}  // namespace ecadbridge
