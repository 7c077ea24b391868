// Loading shared libraries at run time. Everything that differs between Windows (LoadLibrary)
// and POSIX (dlopen) lives behind this class.
#pragma once

#include <string>

namespace platform {

// One loaded shared library. The library stays loaded while this object lives, unless
// release() handed it to the process for good.
class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;
  DynamicLibrary(DynamicLibrary&& other) noexcept;
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;

  // Loads the library at `path` with its symbols visible to libraries loaded after it (a VM's
  // own support libraries look their runtime up that way). False when it cannot be loaded;
  // error() then says why.
  bool open(const std::string& path);
  bool isOpen() const { return handle_ != nullptr; }

  // The address of an exported symbol, or null (error() says why).
  void* symbol(const char* name);

  // Keeps the library loaded until the process ends; for libraries whose code keeps running
  // (threads, handlers) after the last call into them.
  void release() { handle_ = nullptr; }

  const std::string& error() const { return error_; }

 private:
  void close();

  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace platform
