// vxnxml_api::Configuration: named options handed to Container::Open.
#pragma once

#include <map>

#include "sdk/vxnxml_string.h"

namespace vxnxml_api {

class Configuration {
 public:
  void Set(const String& key, const String& value) { values_[key] = value; }
  bool Has(const String& key) const { return values_.count(key) != 0; }
  // The value under `key`; empty when it was never set.
  String Get(const String& key) const {
    auto it = values_.find(key);
    return it == values_.end() ? String() : it->second;
  }

 private:
  std::map<String, String> values_;
};

}  // namespace vxnxml_api
