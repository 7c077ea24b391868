// A key/value text file: one "key<separator>value" per line, comment lines skipped.
#pragma once

#include <map>
#include <string>

class PropertiesMgr {
 public:
  PropertiesMgr() = default;
  virtual ~PropertiesMgr() = default;
  PropertiesMgr(const PropertiesMgr&) = delete;
  PropertiesMgr& operator=(const PropertiesMgr&) = delete;

  // Empties the map and reads the file. Lines longer than 1,023 characters end the reading after
  // their first 1,023 characters; when a key occurs twice, the first occurrence wins. False when
  // `path` is null or the file cannot be opened; `error`, when given, then says why. The file
  // is read only when it is a regular file of the calling user reached without a symbolic link,
  // so another user cannot plant settings.
  bool load(const char* path, const char* commentMarker, const char* separator,
            std::string* error = nullptr);
  // Writes every entry as key + separator + value + newline, in key order, into a file of the
  // calling user (made readable by its owner only when new; never written through a link).
  // False when the file cannot be written; `error`, when given, then says why.
  bool save(const char* path, const char* separator, std::string* error = nullptr) const;

  // Empty when the key is absent or null.
  std::string getProperty(const char* key) const;
  // Inserts when the key is absent; false (and nothing changes) when it is present.
  bool addProperty(const std::string& key, const std::string& value);
  // False only for a null key.
  bool removeProperty(const char* key);

  const std::map<std::string, std::string>& getProperties() const { return properties_; }

 private:
  std::map<std::string, std::string> properties_;
};
