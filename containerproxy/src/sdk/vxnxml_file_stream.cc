#include "sdk/vxnxml_file_stream.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace vxnxml_api {
namespace {

String systemError(int error) { return String(std::strerror(error)); }

}  // namespace

FileStream::~FileStream() {
  if (mode_ == kWrite) {
    Discard();
  } else {
    Close();
  }
}

Result FileStream::Open(const String& path, int mode) {
  if (file_ != nullptr) return Result::Failure("File stream is already open on " + path_);
  if (mode != kRead && mode != kWrite) {
    return Result::Failure(String::FromNarrow("Invalid file stream mode " + std::to_string(mode)));
  }
  // The narrow path would end at a NUL and name another file.
  if (path.IsEmpty() || path.ContainsNul()) {
    return Result::Failure("Invalid file path \"" + path + "\"");
  }
  if (mode == kWrite) {
    std::string error;
    if (!replacement_.Begin(path.Narrow(), platform::LinkPolicy::kReplaceLink, &error)) {
      return Result::Failure("Cannot open file " + path + ": " + String::FromNarrow(error));
    }
    file_ = replacement_.file();
    mode_ = mode;
    path_ = path;
    return Result::Success();
  }
  // fopen opens a directory for reading on POSIX; only the first read would fail.
  std::error_code ignored;
  if (std::filesystem::is_directory(path.Narrow(), ignored)) {
    return Result::Failure("Cannot open file " + path + ": it is a directory");
  }
  std::FILE* file = std::fopen(path.GetNarrow(), "rb");
  if (file == nullptr) {
    const int error = errno;
    return Result::Failure("Cannot open file " + path + ": " + systemError(error));
  }
  file_ = file;
  mode_ = mode;
  path_ = path;
  return Result::Success();
}

Result FileStream::Close() {
  if (file_ == nullptr) return Result::Success();
  if (mode_ == kWrite) {
    file_ = nullptr;
    std::string error;
    if (!replacement_.Commit(&error)) return Result::Failure(String::FromNarrow(error));
    return Result::Success();
  }
  const bool flushed = std::fclose(file_) == 0;
  const int error = errno;
  file_ = nullptr;
  if (!flushed) return Result::Failure("Cannot close file " + path_ + ": " + systemError(error));
  return Result::Success();
}

void FileStream::Discard() {
  if (mode_ == kWrite) replacement_.Abandon();
  file_ = nullptr;
}

long long FileStream::ReadBytes(void* buffer, size_t size) {
  if (file_ == nullptr || mode_ != kRead) return -1;
  const size_t n = std::fread(buffer, 1, size, file_);
  if (n == 0 && std::ferror(file_)) return -1;
  return static_cast<long long>(n);
}

bool FileStream::WriteBytes(const void* buffer, size_t size) {
  if (file_ == nullptr || mode_ != kWrite) return false;
  return std::fwrite(buffer, 1, size, file_) == size;
}

}  // namespace vxnxml_api
