// The frame every native of VXNContainerProxy runs in.
#pragma once

#include <jni.h>

#include <functional>

#include "proxy/container_jobs.h"

namespace containerproxy {

// Sets the process's C locale to the user's default; every native does this first.
void useUserLocale();

// The frame of the natives that return a Result: sets the locale, makes the Result object, runs
// `job` and fills the Result from its outcome. Returns null when a Java exception is pending
// (the VM then throws it), including one that `job` left behind.
jobject runResultNative(JNIEnv* env, const std::function<JobOutcome()>& job);

// Copies a string argument into *out. False, with *failure set, for a null argument (a clear
// message naming it) or one that cannot be read (a Java exception is then pending).
bool readArgument(JNIEnv* env, jstring value, const char* name, String* out, JobOutcome* failure);

// The number of array elements a native processes: `count`, but never below 0 and never past the
// end of `array` (a null array has none).
int clampCount(JNIEnv* env, jobjectArray array, jint count);

}  // namespace containerproxy
