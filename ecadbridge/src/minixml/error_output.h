// The error output of one parse: the reader's error reports and the handlers' trace.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace minixml {

// Collects output in memory and writes it to the stream in large pieces: the trace is made of many
// short pieces and the standard error stream is unbuffered. Flushed when full and when destroyed.
class ErrorOutput {
 public:
  explicit ErrorOutput(std::FILE* stream) : stream_(stream) {}
  ~ErrorOutput() { flush(); }

  ErrorOutput(const ErrorOutput&) = delete;
  ErrorOutput& operator=(const ErrorOutput&) = delete;

  ErrorOutput& operator<<(std::string_view text);
  ErrorOutput& operator<<(unsigned long long number);

  // Three blanks per level, at most 50 levels deep.
  void indent(int levels);
  void flush();

 private:
  void flushIfFull();

  std::FILE* stream_;
  std::string buffer_;
};

}  // namespace minixml
