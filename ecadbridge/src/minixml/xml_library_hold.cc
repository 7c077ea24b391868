#include "minixml/xml_library_hold.h"

#include <xercesc/util/PlatformUtils.hpp>

namespace minixml {

bool XmlLibraryHold::acquire() {
  if (held_) return true;
  try {
    xercesc::XMLPlatformUtils::Initialize();
    held_ = true;
  } catch (...) {
    held_ = false;
  }
  return held_;
}

void XmlLibraryHold::release() {
  if (!held_) return;
  xercesc::XMLPlatformUtils::Terminate();
  held_ = false;
}

}  // namespace minixml
