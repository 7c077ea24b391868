#include "adapter/json_rows.h"

namespace {

void appendString(const std::u16string& text, std::u16string* out) {
  static const char16_t kHex[] = u"0123456789abcdef";
  out->push_back(u'"');
  for (char16_t c : text) {
    if (c == u'"' || c == u'\\') {
      out->push_back(u'\\');
      out->push_back(c);
    } else if (c < 0x20) {
      // Control characters are escaped; everything else, beyond ASCII included, goes as it is.
      out->append(u"\\u00");
      out->push_back(kHex[(c >> 4) & 0xF]);
      out->push_back(kHex[c & 0xF]);
    } else {
      out->push_back(c);
    }
  }
  out->push_back(u'"');
}

}  // namespace

std::u16string jsonRows(const std::vector<JsonRow>& rows) {
  std::u16string out = u"[";
  for (size_t r = 0; r < rows.size(); ++r) {
    if (r > 0) out.push_back(u',');
    out.push_back(u'{');
    for (size_t c = 0; c < rows[r].size(); ++c) {
      if (c > 0) out.push_back(u',');
      appendString(rows[r][c].first, &out);
      out.push_back(u':');
      appendString(rows[r][c].second, &out);
    }
    out.push_back(u'}');
  }
  out.push_back(u']');
  return out;
}
