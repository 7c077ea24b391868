#pragma once

namespace platform {

// The user's default C locale (from LC_ALL, LC_*, LANG) for the calling thread, for as long as
// the object lives. The process's locale is never touched: a library runs inside a host (a JVM,
// an ECAD tool) whose other threads rely on the locale they set, and a process-wide switch would
// race with them. When the user's locale cannot be made, the thread keeps the locale it had.
class ScopedUserLocale {
 public:
  ScopedUserLocale();
  ~ScopedUserLocale();
  ScopedUserLocale(const ScopedUserLocale&) = delete;
  ScopedUserLocale& operator=(const ScopedUserLocale&) = delete;

  // True when the calling thread runs in the user's locale now.
  bool active() const { return userLocale_ != nullptr; }

 private:
  void* userLocale_ = nullptr;      // locale_t made for this scope
  void* previousLocale_ = nullptr;  // the thread's locale before, restored at the end
};

}  // namespace platform
