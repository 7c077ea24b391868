#include "sdk/container_layout.h"

#include <utility>

namespace vxn_container {
namespace {

constexpr std::string_view kPartPrefix = "parts/";
constexpr std::string_view kPropertiesPrefix = "properties/";
// Far above any real property, low enough that a damaged length cannot ask for absurd memory.
constexpr size_t kMaxRecordDigits = 12;

void appendRecord(const std::string& text, std::string* out) {
  out->append(std::to_string(text.size()));
  out->push_back(':');
  out->append(text);
  out->push_back('\n');
}

bool readRecord(std::string_view* data, std::string* text) {
  size_t length = 0;
  size_t digits = 0;
  while (digits < data->size() && (*data)[digits] >= '0' && (*data)[digits] <= '9') {
    if (digits == kMaxRecordDigits) return false;
    length = length * 10 + static_cast<size_t>((*data)[digits] - '0');
    ++digits;
  }
  if (digits == 0 || digits >= data->size() || (*data)[digits] != ':') return false;
  data->remove_prefix(digits + 1);
  if (length >= data->size() || (*data)[length] != '\n') return false;
  text->assign(data->substr(0, length));
  data->remove_prefix(length + 1);
  return true;
}

}  // namespace

const char kMarkerEntry[] = "vxn-container";
const char kMarkerContent[] = "ZRM 1\n";

std::string partEntryName(const vxnxml_api::String& partName) {
  return std::string(kPartPrefix) + partName.Narrow();
}

bool isPartEntry(std::string_view entryName, vxnxml_api::String* partName) {
  if (entryName.size() <= kPartPrefix.size() ||
      entryName.substr(0, kPartPrefix.size()) != kPartPrefix) {
    return false;
  }
  *partName = vxnxml_api::String::FromNarrow(entryName.substr(kPartPrefix.size()));
  return true;
}

std::string propertiesEntryName(const vxnxml_api::String& key) {
  return std::string(kPropertiesPrefix) + key.Narrow();
}

std::string encodeProperties(const std::map<vxnxml_api::String, vxnxml_api::String>& properties) {
  std::string out;
  for (const auto& [name, value] : properties) {
    appendRecord(name.Narrow(), &out);
    appendRecord(value.Narrow(), &out);
  }
  return out;
}

bool decodeProperties(std::string_view data,
                      std::map<vxnxml_api::String, vxnxml_api::String>* properties) {
  std::map<vxnxml_api::String, vxnxml_api::String> decoded;
  std::string name;
  std::string value;
  while (!data.empty()) {
    if (!readRecord(&data, &name) || !readRecord(&data, &value)) return false;
    decoded[vxnxml_api::String::FromNarrow(name)] = vxnxml_api::String::FromNarrow(value);
  }
  *properties = std::move(decoded);
  return true;
}

}  // namespace vxn_container
