// One parse of one document: error output, XML library lifetime, reader and handler.
#pragma once

#include "minixml/minixml_parser.h"

namespace minixml {

// Parses `file` in `mode` ("Status", "Bom" or "Print"; any other mode is reported and the file is
// parsed without a handler) and stores what the mode yields in `results`. The standard error
// stream points at `errorFile` (truncated) for the duration. Returns 0 when the reader reported no
// error, 1000 + the error count when it did, 1 when the XML library failed to initialise, 2 when
// the error file could not be created. Never throws.
int parseDocument(MinixmlParser* results, const char* file, const char* mode,
                  const char* errorFile);

}  // namespace minixml
