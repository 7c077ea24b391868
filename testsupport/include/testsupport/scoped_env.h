// Environment variables set or unset for the life of one object: afterwards each has its earlier
// value again, or is unset when it was unset. The environment is the process's: use it from one
// thread at a time.
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class ScopedEnv {
 public:
  ScopedEnv() = default;
  // Sets `name` to `value`, or unsets it when `value` is null.
  ScopedEnv(const std::string& name, const char* value) {
    set(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
  }
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) apply(it->first, it->second);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

  // nullopt unsets the variable.
  void set(const std::string& name, const std::optional<std::string>& value) {
    const char* old = getenv(name.c_str());
    saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
    apply(name, value);
  }

 private:
  static void apply(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }

  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace testsupport
