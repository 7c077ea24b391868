// What a container job reports to its native.
#pragma once

#include "sdk/vxnxml_string.h"

namespace containerproxy {

using vxnxml_api::String;

struct JobOutcome {
  bool ok = true;
  String message;  // empty on success
};

JobOutcome jobSucceeded();
JobOutcome jobFailed(const String& message);

}  // namespace containerproxy
