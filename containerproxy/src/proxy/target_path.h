// Where an extracted part is written.
#pragma once

#include "sdk/vxnxml_string.h"

namespace containerproxy {

// True when `name`, joined to a directory, names a file inside that directory: not empty, not
// absolute, and without a ".." component. Both '/' and '\' count as separators here, so a name
// written on Windows cannot climb out either.
bool partNameStaysInside(const vxnxml_api::String& name);

// directory + the platform separator + name, joined as they are (nothing is normalised).
vxnxml_api::String joinTargetPath(const vxnxml_api::String& directory,
                                  const vxnxml_api::String& name);

}  // namespace containerproxy
