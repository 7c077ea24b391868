#include "platform/text.h"

#include <cstdint>

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf16(char32_t cp, std::u16string* out) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out->push_back(static_cast<char16_t>(cp));
  }
}

void appendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Nearly all library text is ASCII: a run of it is narrowed on the stack and appended in pieces,
// instead of growing the output one character at a time or filling room that is then
// overwritten. Returns the end of the run.
template <typename From, typename To>
size_t copyAsciiRun(const From* in, size_t at, size_t n, To* out) {
  constexpr size_t kPiece = 128;
  typename To::value_type piece[kPiece];
  size_t i = at;
  for (;;) {
    size_t k = 0;
    while (k < kPiece && i < n && static_cast<uint32_t>(in[i]) < 0x80) {
      piece[k++] = static_cast<typename To::value_type>(in[i++]);
    }
    if (k > 0) out->append(piece, k);
    if (k < kPiece) return i;
  }
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view in) {
  std::u16string out;
  out.reserve(in.size());
  size_t i = 0;
  const size_t n = in.size();
  while (i < n) {
    i = copyAsciiRun(in.data(), i, n, &out);
    if (i == n) break;
    const unsigned char c = static_cast<unsigned char>(in[i]);
    size_t len;
    char32_t cp;
    char32_t min;
    if ((c & 0xE0) == 0xC0) {
      len = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4, cp = c & 0x07, min = 0x10000;
    } else {
      out.push_back(kReplacement);  // stray continuation byte or invalid lead byte
      ++i;
      continue;
    }
    // A truncated sequence consumes only the bytes that belong to it, so the text after it
    // survives.
    size_t k = 1;
    while (k < len && i + k < n && isContinuation(static_cast<unsigned char>(in[i + k]))) {
      cp = (cp << 6) | (static_cast<unsigned char>(in[i + k]) & 0x3F);
      ++k;
    }
    if (k < len || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(kReplacement);
    } else {
      appendUtf16(cp, &out);
    }
    i += k;
  }
  return out;
}

namespace {

// Appends `in` converted; with `exact`, stops at the first unpaired surrogate and returns false
// instead of putting U+FFFD in its place.
bool convertUtf16(std::u16string_view in, bool exact, std::string* out) {
  const size_t n = in.size();
  size_t i = 0;
  while (i < n) {
    i = copyAsciiRun(in.data(), i, n, out);
    if (i == n) break;
    char32_t cp = in[i];
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (i + 1 < n && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
        ++i;
      } else {
        cp = kReplacement;
        if (exact) return false;
      }
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
      cp = kReplacement;
      if (exact) return false;
    }
    appendUtf8(cp, out);
    ++i;
  }
  return true;
}

}  // namespace

std::string utf16ToUtf8(std::u16string_view in) {
  std::string out;
  out.reserve(in.size());
  convertUtf16(in, false, &out);
  return out;
}

void utf16ToUtf8(std::u16string_view in, std::string* out) {
  out->clear();
  convertUtf16(in, false, out);
}

bool utf16ToUtf8Exact(std::u16string_view in, std::string* utf8) {
  std::string out;
  out.reserve(in.size());
  if (!convertUtf16(in, true, &out)) {
    utf8->clear();
    return false;
  }
  utf8->swap(out);
  return true;
}

size_t utf16Length(const char16_t* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

}  // namespace platform
