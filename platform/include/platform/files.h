// File system services. Everything that differs between Windows and POSIX lives behind these calls.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Separator between the directories of one path, and between the paths of a list.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
constexpr char kPathListSeparator = ';';
#else
constexpr char kPathSeparator = '/';
constexpr char kPathListSeparator = ':';
#endif

// The directory for temporary and per-user working files: TEMP, else TMPDIR, else the system's
// default ("/tmp" on POSIX). Never ends in a separator unless it is the root.
std::string tempDirectory();

// The value of an environment variable; false when it is not set.
bool getEnv(const char* name, std::string* value);

// Normalises a path for this platform: separators become the native one and runs of separators
// are reduced to one.
void toNativePath(std::string& path);

// dir + separator + name, without doubling a separator that dir already ends in.
std::string joinPath(const std::string& dir, const std::string& name);

// A directory the process may create files in. Plain file system questions (whether a path
// exists, listing, creating and removing) go to std::filesystem; this one needs the process's
// access rights, which std::filesystem does not know.
bool isWritableDirectory(const std::string& path);

// Creates and opens (for reading and writing, binary) a new file with a unique name that starts
// with `prefix` in `dir`; *path is its name. Null, with *error set, when none can be made.
std::FILE* createTemporaryFile(const std::string& dir, const std::string& prefix, std::string* path,
                               std::string* error);

}  // namespace platform
