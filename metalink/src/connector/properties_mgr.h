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
  // `path` is null or the file cannot be opened.
  bool load(const char* path, const char* commentMarker, const char* separator);
  // Writes every entry as key + separator + value + newline, in key order. False when the file
  // cannot be written.
  bool save(const char* path, const char* separator) const;

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
