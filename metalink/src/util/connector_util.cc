#include "util/connector_util.h"

#include <cstdio>

#include "platform/files.h"

namespace ConnectorUtil {
namespace {

void collapseRuns(std::string& text, char c) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    if (ch == c && !out.empty() && out.back() == c) continue;
    out.push_back(ch);
  }
  text.swap(out);
}

}  // namespace

void toWindowsPath(std::string& path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  collapseRuns(path, '\\');
}

void toSlashPath(std::string& path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  collapseRuns(path, '/');
}

void toLowerAscii(std::string& text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

void trimBlanks(std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    text.clear();
    return;
  }
  const size_t last = text.find_last_not_of(' ');
  text = text.substr(first, last - first + 1);
}

void split(const std::string& text, std::vector<std::string>* out, const std::string& delimiters) {
  size_t pos = 0;
  for (;;) {
    const size_t start = text.find_first_not_of(delimiters, pos);
    if (start == std::string::npos) return;
    // An empty delimiter would never advance; the rest is one token.
    const size_t end = delimiters.empty() ? std::string::npos : text.find(delimiters, start);
    if (end == std::string::npos) {
      out->push_back(text.substr(start));
      return;
    }
    out->push_back(text.substr(start, end - start));
    pos = end;
  }
}

void splitQuoted(const std::string& text, std::vector<std::string>* out,
                 const std::string& delimiters) {
  if (text.find('"') == std::string::npos) {
    split(text, out, delimiters);
    return;
  }
  size_t pos = 0;
  for (;;) {
    const size_t start = text.find_first_not_of(delimiters, pos);
    if (start == std::string::npos) return;
    size_t end;
    if (text[start] == '"') {
      // The quoted token ends at the first delimiter preceded by a quote (not its own opening one).
      end = start + 1;
      for (;;) {
        end = delimiters.empty() ? std::string::npos : text.find(delimiters, end);
        if (end == std::string::npos || (end > start + 1 && text[end - 1] == '"')) break;
        ++end;
      }
    } else {
      end = delimiters.empty() ? std::string::npos : text.find(delimiters, start);
    }
    if (end == std::string::npos) {
      out->push_back(text.substr(start));
      return;
    }
    out->push_back(text.substr(start, end - start));
    pos = end;
  }
}

bool getFileName(const std::string& path, std::string* name) {
  const size_t slash = path.find_last_of(platform::kPathSeparator);
  if (slash == std::string::npos) {
    name->clear();
    return false;
  }
  *name = path.substr(slash + 1);
  return true;
}

void removeExtension(std::string& text) {
  const size_t dot = text.rfind('.');
  if (dot != std::string::npos) text.resize(dot);
}

std::string toValidFileName(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    switch (c) {
      case '/':
      case '\\':
      case ':':
      case '*':
      case '?':
      case '"':
      case '<':
      case '>':
      case '|':
        c = '_';
        break;
      default:
        break;
    }
  }
  return out;
}

std::string makeElemId(int n) { return "id" + std::to_string(n); }

}  // namespace ConnectorUtil
