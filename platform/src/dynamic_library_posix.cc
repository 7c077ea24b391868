// POSIX implementation of run-time library loading.
#include <dlfcn.h>

#include <utility>

#include "platform/dynamic_library.h"

namespace platform {

DynamicLibrary::~DynamicLibrary() { close(); }

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, nullptr);
    error_ = std::move(other.error_);
  }
  return *this;
}

bool DynamicLibrary::open(const std::string& path) {
  close();
  error_.clear();
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (handle_ == nullptr) {
    const char* why = ::dlerror();
    error_ = why != nullptr ? why : "cannot load " + path;
    return false;
  }
  return true;
}

void* DynamicLibrary::symbol(const char* name) {
  if (handle_ == nullptr) {
    error_ = "no library loaded";
    return nullptr;
  }
  ::dlerror();
  void* address = ::dlsym(handle_, name);
  if (address == nullptr) {
    const char* why = ::dlerror();
    error_ = why != nullptr ? why : std::string("symbol not found: ") + name;
  }
  return address;
}

void DynamicLibrary::close() {
  if (handle_ != nullptr) ::dlclose(handle_);
  handle_ = nullptr;
}

}  // namespace platform
