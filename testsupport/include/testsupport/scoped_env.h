// An environment variable set for the life of one object: afterwards the variable has its earlier
// value again, or is unset when it was unset. The environment is the process's: use it from one
// thread at a time.
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>
#include <utility>

namespace testsupport {

class ScopedEnv {
 public:
  // Sets `name` to `value`, or unsets it when `value` is null.
  ScopedEnv(std::string name, const char* value) : name_(std::move(name)) {
    if (const char* old = getenv(name_.c_str())) saved_ = old;
    set(value);
  }
  ~ScopedEnv() { set(saved_ ? saved_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void set(const char* value) const {
    if (value != nullptr) {
      setenv(name_.c_str(), value, 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

  std::string name_;
  std::optional<std::string> saved_;
};

}  // namespace testsupport
