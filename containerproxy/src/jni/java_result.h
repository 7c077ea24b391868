// The Java Result object that four of the natives return.
#pragma once

#include <jni.h>

#include "proxy/container_jobs.h"

namespace containerproxy {

class JavaResult {
 public:
  explicit JavaResult(JNIEnv* env) : env_(env) {}

  // Finds com/morvane/vxncontainer/Result and its fields and allocates the object (no Java
  // constructor runs). False with a Java exception pending.
  bool Create();
  // Sets OK, errMessage (the message, or the empty string on success) and ret (always empty)
  // and returns the object; null with an exception pending.
  jobject Fill(const JobOutcome& outcome);

 private:
  JNIEnv* env_;
  jobject object_ = nullptr;
  jfieldID ok_ = nullptr;
  jfieldID errMessage_ = nullptr;
  jfieldID ret_ = nullptr;
};

}  // namespace containerproxy
