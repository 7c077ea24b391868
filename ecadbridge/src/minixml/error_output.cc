#include "minixml/error_output.h"

namespace minixml {
namespace {
constexpr size_t kFlushSize = 64 * 1024;
// Real documents nest a few levels; a hostile one nesting thousands deep would otherwise make the
// trace grow with the square of its size.
constexpr int kMaxIndentLevels = 50;
}  // namespace

ErrorOutput& ErrorOutput::operator<<(std::string_view text) {
  buffer_.append(text);
  flushIfFull();
  return *this;
}

ErrorOutput& ErrorOutput::operator<<(unsigned long long number) {
  buffer_.append(std::to_string(number));
  flushIfFull();
  return *this;
}

void ErrorOutput::indent(int levels) {
  if (levels > kMaxIndentLevels) levels = kMaxIndentLevels;
  if (levels > 0) buffer_.append(static_cast<size_t>(levels) * 3, ' ');
  flushIfFull();
}

void ErrorOutput::flushIfFull() {
  if (buffer_.size() >= kFlushSize) flush();
}

void ErrorOutput::flush() {
  if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), stream_);
  buffer_.clear();
  std::fflush(stream_);
}

}  // namespace minixml
