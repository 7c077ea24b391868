// The readers under test take a path, so every input goes through one scratch file that the
// fuzzer rewrites for each run.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace fuzz {

// A fresh directory for this process's scratch files; aborts when none can be made.
inline std::string scratchDirectory(const char* name) {
  std::string pattern = std::string("/tmp/") + name + "_XXXXXX";
  if (mkdtemp(&pattern[0]) == nullptr) abort();
  return pattern;
}

// Replaces the file at `path` with the input bytes.
inline void writeInput(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) abort();
  if (std::fclose(f) != 0) abort();
}

}  // namespace fuzz
