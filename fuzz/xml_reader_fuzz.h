// What the targets of the metalink XML readers share: the scratch file every input goes
// through, the parser library held for the whole run, the log, and a sink that keeps the walk
// over what the reader made from being optimised away.
#pragma once

#include <cstddef>
#include <string>
#include <xercesc/util/PlatformUtils.hpp>

#include "fuzz_input.h"
#include "util/message_logger.h"

namespace fuzz {

inline volatile size_t gSink;

inline void touch(const std::string& text) { gSink = gSink + text.size(); }

// Makes the scratch directory of `target` and returns the path of the input file `fileName`
// in it. Error messages, and warnings when `warnings` is set, are formatted and dropped.
inline std::string startXmlReaderRun(const char* target, const char* fileName, bool warnings) {
  // Held for the whole run, so the reader's own initialisation and termination around each file
  // only count up and down instead of rebuilding the parser library for every input.
  XERCES_CPP_NAMESPACE::XMLPlatformUtils::Initialize();
  MessageLogger::configure({"/dev/null", true, warnings, false, false});
  return scratchDirectory(target) + "/" + fileName;
}

}  // namespace fuzz
