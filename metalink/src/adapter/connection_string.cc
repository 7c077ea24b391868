#include "adapter/connection_string.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "util/wide_text.h"

namespace {

// One KEY=VALUE pair of a connection string: the key without surrounding blanks and where its
// value lies in the text.
struct Pair {
  std::u16string key;
  size_t valueBegin;
  size_t valueEnd;
};

// The pairs in order. A braced value may hold ';' (and "}}" for '}').
std::vector<Pair> pairsOf(const std::u16string& text) {
  std::vector<Pair> pairs;
  size_t i = 0;
  while (i < text.size()) {
    const size_t eq = text.find(u'=', i);
    if (eq == std::u16string::npos) break;
    std::u16string key = text.substr(i, eq - i);
    const size_t first = key.find_first_not_of(u' ');
    key = first == std::u16string::npos ? std::u16string()
                                        : key.substr(first, key.find_last_not_of(u' ') + 1 - first);
    const size_t begin = eq + 1;
    i = begin;
    while (i < text.size() && text[i] == u' ') ++i;
    if (i < text.size() && text[i] == u'{') {
      for (++i; i < text.size(); ++i) {
        if (text[i] != u'}') continue;
        if (i + 1 < text.size() && text[i + 1] == u'}') {
          ++i;
          continue;
        }
        ++i;
        break;
      }
    }
    const size_t end = std::min(text.find(u';', i), text.size());
    pairs.push_back({key, begin, end});
    i = end + 1;
  }
  return pairs;
}

// Drivers take their own spellings of the two standard keys as well.
bool isAny(const std::u16string& key, std::initializer_list<std::u16string_view> names) {
  for (std::u16string_view name : names) {
    if (equalsIgnoreCase(key, name)) return true;
  }
  return false;
}

bool setsAny(const std::vector<Pair>& pairs, std::initializer_list<std::u16string_view> names) {
  for (const Pair& pair : pairs) {
    if (isAny(pair.key, names)) return true;
  }
  return false;
}

constexpr std::initializer_list<std::u16string_view> kUserKeys = {u"UID", u"USER", u"USERNAME"};
constexpr std::initializer_list<std::u16string_view> kPasswordKeys = {u"PWD", u"PASSWORD"};

std::u16string quoted(const std::u16string& value) {
  const bool plain = value.find_first_of(u";{}") == std::u16string::npos && value.front() != u' ' &&
                     value.back() != u' ';
  if (plain) return value;
  std::u16string out = u"{";
  for (char16_t c : value) {
    out += c;
    if (c == u'}') out += u'}';
  }
  return out + u"}";
}

}  // namespace

bool isConnectionString(const std::u16string& dataSource) {
  return dataSource.find(u'=') != std::u16string::npos;
}

std::u16string withCredentials(const std::u16string& connectionString, const std::u16string& user,
                               const std::u16string& password) {
  const std::vector<Pair> pairs = pairsOf(connectionString);
  std::u16string out = connectionString;
  const auto add = [&out](std::u16string_view key, const std::u16string& value) {
    if (!out.empty() && out.back() != u';') out += u';';
    out += key;
    out += u'=';
    out += quoted(value);
  };
  if (!user.empty() && !setsAny(pairs, kUserKeys)) add(u"UID", user);
  if (!password.empty() && !setsAny(pairs, kPasswordKeys)) add(u"PWD", password);
  return out;
}

std::u16string withoutPassword(const std::u16string& dataSource) {
  if (!isConnectionString(dataSource)) return dataSource;
  std::u16string out = dataSource;
  const std::vector<Pair> pairs = pairsOf(dataSource);
  // From the back, so that earlier positions stay valid.
  for (auto pair = pairs.rbegin(); pair != pairs.rend(); ++pair) {
    if (isAny(pair->key, kPasswordKeys)) {
      out.replace(pair->valueBegin, pair->valueEnd - pair->valueBegin, u"***");
    }
  }
  return out;
}
