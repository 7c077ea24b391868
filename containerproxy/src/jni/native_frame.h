// The frame every native of VXNContainerProxy runs in, and the reading of its arguments.
#pragma once

#include <jni.h>

#include <functional>
#include <initializer_list>

#include "jnisupport/java_class.h"
#include "proxy/job_outcome.h"

namespace containerproxy {

// The frame of the natives that return a Result: runs in the user's default C locale on the
// calling thread (the process's locale stays the host's), finds the Result class, runs
// `job` and makes the Result from its outcome. Returns null when a Java exception is pending
// (the VM then throws it), including one that `job` left behind.
jobject runResultNative(JNIEnv* env, const std::function<JobOutcome()>& job);

// Copies a string argument into *out. False, with *failure set, for a null argument (a clear
// message naming it) or one that cannot be read (a Java exception is then pending).
bool readArgument(JNIEnv* env, jstring value, const char* name, String* out, JobOutcome* failure);

// The number of array elements a native processes: `count`, but never below 0 and never past the
// end of `array`. False, with *failure set, for a null array with a positive count: the caller
// asked for elements that are not there.
bool countElements(JNIEnv* env, jobjectArray array, jint count, const char* name, int* elements,
                   JobOutcome* failure);

// One String field of an array element, and where its text goes.
struct StringField {
  jnisupport::JavaMember* field;
  const char* name;
  String* out;
};

// Reads the String fields of element `index` of `array` (called `arrayName` in messages). The
// element's local references are gone when this returns. False, with *error set, for a null
// element or field, or one that cannot be read. Each field must have been found before.
bool readElement(JNIEnv* env, jobjectArray array, int index, const char* arrayName,
                 std::initializer_list<StringField> fields, String* error);

}  // namespace containerproxy
