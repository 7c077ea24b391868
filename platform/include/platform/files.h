// File system services. Everything that differs between Windows and POSIX lives behind these calls.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

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

bool pathExists(const std::string& path);
bool isDirectory(const std::string& path);
// Creates one directory; false when it was not created (it may already exist).
bool makeDirectory(const std::string& path);
// Removes one file; false when it was not removed.
bool removeFile(const std::string& path);
bool changeDirectory(const std::string& path);

struct DirectoryEntry {
  std::string name;
  bool isDirectory = false;
};
// Appends the entries of a directory, except "." and "..", in the order the file system returns
// them. False when the directory cannot be read.
bool listDirectory(const std::string& path, std::vector<DirectoryEntry>* entries);

// Creates and opens (for reading and writing, binary) a new file with a unique name that starts
// with `prefix` in `dir`; *path is its name. Null, with *error set, when none can be made.
std::FILE* createTemporaryFile(const std::string& dir, const std::string& prefix, std::string* path,
                               std::string* error);

// Copies a file byte for byte; `to` is created or truncated. False when either file cannot be
// opened or a read or write fails.
bool copyFile(const std::string& from, const std::string& to);

}  // namespace platform
