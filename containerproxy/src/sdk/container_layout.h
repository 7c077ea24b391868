// How a container lies in its ZIP archive:
//   "vxn-container"       marker entry holding the format ("ZRM 1"); a ZIP without it is no
//                         container
//   "parts/<name>"        one entry per part: its data, with the part type as the entry comment
//   "properties/<key>"    the properties of one property key (encodeProperties)
// Entry names are UTF-8. Keeping parts and properties under their own prefixes lets a part have
// any name without colliding with the container's own entries.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "sdk/vxnxml_string.h"

namespace vxn_container {

extern const char kMarkerEntry[];
extern const char kMarkerContent[];

std::string partEntryName(const vxnxml_api::String& partName);
// True when `entryName` holds a part; *partName is then the part's name.
bool isPartEntry(std::string_view entryName, vxnxml_api::String* partName);
std::string propertiesEntryName(const vxnxml_api::String& key);

// Each property as two records, name then value, each record being the decimal length of its
// UTF-8 bytes, ':', the bytes and '\n'. Any text survives, line breaks and NULs included.
std::string encodeProperties(const std::map<vxnxml_api::String, vxnxml_api::String>& properties);
// False for anything encodeProperties cannot have written; *properties is then unchanged.
bool decodeProperties(std::string_view data,
                      std::map<vxnxml_api::String, vxnxml_api::String>* properties);

}  // namespace vxn_container
