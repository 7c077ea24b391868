// The Java Result object that four of the natives return.
#pragma once

#include <jni.h>

#include "proxy/job_outcome.h"

namespace containerproxy {

// Looks up the Result class and its fields, which the natives do before any work so that a
// missing class does not let a job run whose outcome cannot be told. False with a Java exception
// pending.
bool findJavaResult(JNIEnv* env);

// Allocates a com/morvane/vxncontainer/Result (no Java constructor runs) and sets OK, errMessage
// (the message, or the empty string on success) and ret (always empty). Null with a Java
// exception pending when the class, a field or the object cannot be had.
jobject newJavaResult(JNIEnv* env, const JobOutcome& outcome);

}  // namespace containerproxy
