#include "library/xml_attribute_text.h"

#include "util/text_conversion.h"

namespace {

// Length of the well-formed UTF-8 sequence that starts at `text[i]` (a byte >= 0x80), or 0 when
// it is ill-formed (overlong, a surrogate, beyond U+10FFFF, truncated). `*noncharacter` tells
// U+FFFE and U+FFFF, which are well-formed but no XML character.
size_t sequenceLength(const std::string& text, size_t i, bool* noncharacter) {
  const auto byte = [&text](size_t k) { return static_cast<unsigned char>(text[k]); };
  const auto continuation = [&](size_t k) { return k < text.size() && (byte(k) & 0xC0) == 0x80; };
  const unsigned char lead = byte(i);
  *noncharacter = false;
  if (lead >= 0xC2 && lead <= 0xDF) return continuation(i + 1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (!continuation(i + 1) || !continuation(i + 2)) return 0;
    const unsigned char second = byte(i + 1);
    if (lead == 0xE0 && second < 0xA0) return 0;   // overlong
    if (lead == 0xED && second >= 0xA0) return 0;  // a surrogate
    *noncharacter = lead == 0xEF && second == 0xBF && byte(i + 2) >= 0xBE;
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (!continuation(i + 1) || !continuation(i + 2) || !continuation(i + 3)) return 0;
    const unsigned char second = byte(i + 1);
    if (lead == 0xF0 && second < 0x90) return 0;   // overlong
    if (lead == 0xF4 && second >= 0x90) return 0;  // beyond U+10FFFF
    return 4;
  }
  return 0;
}

// The escaping of a well-formed value; false at an ill-formed sequence (`*valid` false) or a
// character XML cannot carry (`*valid` true). `*out` may hold part of the value on false.
bool appendWellFormed(const std::string& value, std::string* out, bool* valid) {
  *valid = true;
  size_t plain = 0;  // start of the run of bytes copied as they are
  size_t i = 0;
  for (; i < value.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    if (c >= 0x80) {
      bool noncharacter = false;
      const size_t length = sequenceLength(value, i, &noncharacter);
      if (length == 0) {
        *valid = false;
        return false;
      }
      if (noncharacter) return false;
      i += length - 1;
      continue;
    }
    const char* reference = nullptr;
    switch (c) {
      case '&':
        reference = "&amp;";
        break;
      case '<':
        reference = "&lt;";
        break;
      case '"':
        reference = "&quot;";
        break;
      case '\t':
        reference = "&#x9;";
        break;
      case '\n':
        reference = "&#xA;";
        break;
      case '\r':
        reference = "&#xD;";
        break;
      default:
        if (c == 0) {
          out->append(value, plain, i - plain);
          return true;
        }
        if (c < 0x20) return false;
        continue;
    }
    out->append(value, plain, i - plain);
    out->append(reference);
    plain = i + 1;
  }
  out->append(value, plain, i - plain);
  return true;
}

}  // namespace

bool appendXmlAttributeText(const std::string& value, std::string* out) {
  const size_t start = out->size();
  bool valid = true;
  if (appendWellFormed(value, out, &valid)) return true;
  out->resize(start);
  if (valid) return false;
  // Rare: the replacement characters come from the one conversion every other edge uses.
  const std::string repaired = toUtf8(toWide(value));
  if (appendWellFormed(repaired, out, &valid)) return true;
  out->resize(start);
  return false;
}
