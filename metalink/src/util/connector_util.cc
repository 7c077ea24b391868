#include "util/connector_util.h"

#include <cstdio>

#include "platform/files.h"
#include "util/message_logger.h"

namespace ConnectorUtil {
namespace {

constexpr const char* kSource = "ConnectorUtil";

void collapseRuns(std::string& text, char c) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    if (ch == c && !out.empty() && out.back() == c) continue;
    out.push_back(ch);
  }
  text.swap(out);
}

bool listEntries(const std::string& directory, bool directories, std::vector<std::string>* names) {
  std::vector<platform::DirectoryEntry> entries;
  if (!platform::listDirectory(directory, &entries)) return false;
  for (const auto& e : entries) {
    if (e.isDirectory == directories) names->push_back(e.name);
  }
  return true;
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
      case '/': case '\\': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
        c = '_';
        break;
      default:
        break;
    }
  }
  return out;
}

std::string makeElemId(int n) { return "id" + std::to_string(n); }

void makeDirectory(const std::string& path) {
  if (!platform::makeDirectory(path) && !platform::pathExists(path)) {
    MessageLogger::error(kSource, "Cannot make the directory " + path);
  }
}

bool ensureDirectory(const std::string& path) {
  return platform::makeDirectory(path) || platform::isDirectory(path);
}

void deleteFile(const std::string& path) {
  if (!platform::removeFile(path) && platform::pathExists(path)) {
    MessageLogger::error(kSource, "Cannot delete the file " + path);
  }
}

bool copyFile(const std::string& from, const std::string& to) {
  return platform::copyFile(from, to);
}

bool listSubdirectories(const std::string& directory, std::vector<std::string>* names) {
  return listEntries(directory, true, names);
}

bool listFiles(const std::string& directory, std::vector<std::string>* names) {
  return listEntries(directory, false, names);
}

void copyDirectory(const std::string& from, const std::string& to) {
  if (!platform::pathExists(to)) return;
  std::vector<std::string> subdirectories;
  listSubdirectories(from, &subdirectories);
  for (const auto& name : subdirectories) {
    makeDirectory(platform::joinPath(to, name));
    copyDirectory(platform::joinPath(from, name), platform::joinPath(to, name));
  }
  std::vector<std::string> files;
  listFiles(from, &files);
  for (const auto& name : files) {
    copyFile(platform::joinPath(from, name), platform::joinPath(to, name));
  }
}

}  // namespace ConnectorUtil
