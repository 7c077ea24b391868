// The copy loops between part streams and files. Both run through one 1,024-byte buffer on the
// stack, so a part is never held in memory whole.
#pragma once

#include "sdk/vxn_container_part.h"
#include "sdk/vxnxml_string.h"

namespace containerproxy {

constexpr size_t kCopyBufferSize = 1024;

// Writes the rest of `part` to a new file that then replaces whatever file or link is at `path`.
// False when the file cannot be made, a read or write fails, or the file cannot be put in place;
// `path` then keeps what it had.
bool copyPartToFile(vxn_container::PartStream* part, const vxnxml_api::String& path);

// Writes the file at `path` into `part`. False when the file cannot be read or a write fails.
bool copyFileToPart(const vxnxml_api::String& path, vxn_container::PartStream* part);

}  // namespace containerproxy
