// vxn_container::Container: a container file of named, typed parts and of string properties
// grouped under property keys. The file is a ZIP archive (see container_layout.h).
//
// Changes reach the file only at Close, which writes a temporary file beside the container and
// renames it into place, so a crash leaves the old container or the new one, never half of one.
// One Container belongs to one thread at a time.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sdk/spool.h"
#include "sdk/vxn_container_part.h"
#include "sdk/vxnxml_configuration.h"
#include "sdk/vxnxml_result.h"
#include "sdk/vxnxml_string.h"

struct zip;

namespace vxn_container {

using vxnxml_api::Configuration;
using vxnxml_api::Result;
using vxnxml_api::String;

class Container {
 public:
  // Open mode bits: 1 opens for reading and 3 for reading and writing; 19 also creates the
  // container when it is missing (or an empty file).
  static constexpr int kRead = 1;
  static constexpr int kWrite = 2;
  static constexpr int kCreate = 16;
  // The one container format this SDK reads and writes, given as the configuration's "format".
  static constexpr const char* kFormat = "ZRM";

  // On success *container is a new Container that the caller hands back to Close; on failure it
  // is null and the result says why (missing file, not a container, damaged, wrong mode or format).
  static Result Open(const String& path, int mode, const Configuration& configuration,
                     Container** container);
  // Writes the changes of a container opened for writing and destroys it, whatever the outcome.
  // Every part stream must have been released before. A null container is ignored.
  static Result Close(Container* container);

  Container(const Container&) = delete;
  Container& operator=(const Container&) = delete;
  ~Container();

  // The parts in the order they were added. The pointers stay valid until Close.
  Result GetParts(std::vector<ContainerPart*>* parts);
  Result GetPart(const String& name, ContainerPart** part);
  // Needs a container opened for writing; the name must be new and not empty.
  Result CreatePart(const String& name, const String& type, ContainerPart** part);

  // The properties stored under `key`, by name; a key without properties gives an empty map.
  Result GetProperties(const String& key, std::map<String, String>* properties);
  // Sets (or replaces) one property under `key`; needs a container opened for writing.
  Result SetProperty(const String& name, const String& value, const String& key);

  const String& GetPath() const { return path_; }
  bool IsWritable() const { return (mode_ & kWrite) != 0; }

 private:
  friend class ContainerPart;
  Container(zip* archive, const String& path, int mode);

  Result LoadParts();
  Result LoadProperties(const String& key, std::map<String, String>** properties);
  Result WriteProperties();

  zip* archive_;  // owned; closed or discarded by Close
  String path_;
  int mode_;
  std::vector<std::unique_ptr<ContainerPart>> parts_;
  std::map<String, ContainerPart*> partsByName_;
  std::map<String, std::map<String, String>> properties_;  // keys read or changed so far
  std::set<String> changedKeys_;
  // New part data, read by the archive at Close; made on the first part write.
  std::unique_ptr<Spool> spool_;
};

}  // namespace vxn_container
