// Conversions between Java strings and SDK strings, and scoped local references.
#pragma once

#include <jni.h>

#include "sdk/vxnxml_string.h"

namespace containerproxy {

// Deletes a local reference when the scope ends, so that loops over large arrays stay within
// the VM's local reference capacity.
class LocalRef {
 public:
  LocalRef(JNIEnv* env, jobject ref) : env_(env), ref_(ref) {}
  LocalRef(const LocalRef&) = delete;
  LocalRef& operator=(const LocalRef&) = delete;
  ~LocalRef() {
    if (ref_ != nullptr) env_->DeleteLocalRef(ref_);
  }
  jobject get() const { return ref_; }

 private:
  JNIEnv* env_;
  jobject ref_;
};

enum class JavaStringStatus { kOk, kNull, kFailed };

// Copies the UTF-16 characters of `text` into *out. The characters are released before this
// returns, on every path. kFailed leaves a Java exception pending.
JavaStringStatus readJavaString(JNIEnv* env, jstring text, vxnxml_api::String* out);

// A new Java string with the UTF-16 text of `text`; null with an exception pending on failure.
jstring newJavaString(JNIEnv* env, const vxnxml_api::String& text);

}  // namespace containerproxy
