#include "proxy/job_outcome.h"

namespace containerproxy {

JobOutcome jobSucceeded() { return JobOutcome(); }

JobOutcome jobFailed(const String& message) {
  JobOutcome outcome;
  outcome.ok = false;
  outcome.message = message;
  return outcome;
}

}  // namespace containerproxy
