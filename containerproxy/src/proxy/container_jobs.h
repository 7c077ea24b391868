// The jobs behind the natives of VXNContainerProxy, in plain C++: each opens the container, does
// its work and closes it again. The JNI layer only converts arguments and results.
#pragma once

#include <functional>
#include <map>

#include "proxy/job_outcome.h"

namespace containerproxy {

// Extracts every part, in container order, to directory + separator + part name. Stops at the
// first part that fails; files already written stay.
JobOutcome extractAllParts(const String& containerPath, const String& targetDirectory);
JobOutcome extractPart(const String& containerPath, const String& targetDirectory,
                       const String& partName);

struct PartSource {
  String uri;  // the file whose bytes become the part
  String name;
  String type;
};
// Fills *part with entry `index`; false, with *error set, when the entry cannot be had.
using PartSourceReader = std::function<bool(int index, PartSource* part, String* error)>;

// Adds entries 0 to count - 1 as new parts (the container is created when missing). All or
// nothing: after a failure an existing container is unchanged and a missing one is not created.
// Names that extraction would refuse (see partNameStaysInside) fail.
JobOutcome addParts(const String& containerPath, int count, const PartSourceReader& read);

struct PropertyEntry {
  String name;
  String value;
};
using PropertyReader = std::function<bool(int index, PropertyEntry* property, String* error)>;

// All or nothing, like addParts.
JobOutcome setProperties(const String& containerPath, const String& propertyKey, int count,
                         const PropertyReader& read);
// False on any failure; a key without properties gives an empty map.
bool getProperties(const String& containerPath, const String& propertyKey,
                   std::map<String, String>* properties);

}  // namespace containerproxy
