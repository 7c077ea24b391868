// Where an extracted part is written.
#pragma once

#include "sdk/vxnxml_string.h"

namespace containerproxy {

// True when `name`, joined to a directory, names a file inside that directory: not empty, not
// absolute, without a ".." component and not ending in a separator or ".". Both '/' and '\' count
// as separators here, so a name written on Windows cannot climb out either. AddParts refuses the
// names that fail this, so that every part it adds can be extracted.
bool partNameStaysInside(const vxnxml_api::String& name);

// True when no directory between `directory` and the file that `name` names inside it is a
// symbolic link or anything but a directory; a planted link could otherwise lead the file out of
// `directory`. Missing directories pass: the file then cannot be created at all.
bool partDirectoriesStayInside(const vxnxml_api::String& directory, const vxnxml_api::String& name);

// directory + the platform separator + name, joined as they are (nothing is normalised).
vxnxml_api::String joinTargetPath(const vxnxml_api::String& directory,
                                  const vxnxml_api::String& name);

}  // namespace containerproxy
