// Files that no other local user can plant, redirect or read: a per-user directory inside a shared
// temporary directory, files opened without following links, secrets read only from files that
// nobody else can read.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// True when a user other than the caller may create or rename entries in `dir`: it is writable
// by its group or by everyone (like /tmp), or it belongs to another user who is not the
// superuser. False when it cannot be examined.
bool isSharedDirectory(const std::string& dir);

// True when the directory that holds `path` is shared in the sense above.
bool isInSharedDirectory(const std::string& path);

// The directory where a program keeps its per-user files below `tempDir`: `tempDir` itself when
// it is not shared, otherwise tempDir/<prefix>-<uid>, made with mode 0700 when missing. The
// per-user directory is checked at every call: it must be a directory (not a link to one) of the
// calling user that nobody else may enter or change. False, with `error` saying why, when it is
// refused or cannot be made.
bool userDirectory(const std::string& tempDir, const std::string& prefix, std::string* dir,
                   std::string* error);

enum class OwnFileMode {
  kRead,     // read from the start
  kAppend,   // write at the end; created when missing
  kReplace,  // emptied, then written; created when missing
};

// Opens a file of the calling user for this process's own use. A symbolic link at `path` is
// never followed; the file must be a regular file with one name only, owned by the calling user.
// A new file is made with mode 0600. The file is emptied (kReplace) only after those checks, so a
// refused file is left as it was. Returns a descriptor (close-on-exec) or -1 with `error` set.
int openOwnFileDescriptor(const std::string& path, OwnFileMode mode, std::string* error);

// The same as a C stream; null with `error` set on failure. The caller closes it.
std::FILE* openOwnFile(const std::string& path, OwnFileMode mode, std::string* error);

// Reads a small file that holds a secret (a password). Refused unless it is a regular file of
// the calling user that nobody else can read or change (no group or other permission bits).
// Links are followed: what counts is the file they lead to.
bool readSecretFile(const std::string& path, std::string* content, std::string* error);

}  // namespace platform
