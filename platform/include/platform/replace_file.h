// Replacing a file so that a reader, a crash or a failure leaves either the old content or the
// complete new one, never a part of either.
#pragma once

#include <functional>
#include <string>

namespace platform {

// Writes the file at `path` through `write` and puts the result in place atomically.
//
// `write` is handed the path of a new, empty temporary file with a unique name in the target's own
// directory (two replacements of one path at once never share it) and fills it; it returns false
// with `*error` set when it could not. The temporary file is then flushed to disk, given the old
// file's mode and, where the process may set them, its owner and group, and renamed over the
// target; the directory is flushed too.
//
// A symbolic link at `path` is followed: the file it names is replaced and the link stays. A
// target that exists but is not a regular file (a directory, FIFO, socket or device) is refused
// before anything is written. On every failure the target is left as it was, no temporary file
// remains, the result is false and `*error` says why in a few words that name the path.
bool replaceFileAtomically(const std::string& path,
                           const std::function<bool(const std::string& temporaryPath,
                                                    std::string* error)>& write,
                           std::string* error);

}  // namespace platform
