// Small JNI helpers: local reference ownership and text conversion at the Java boundary.
#pragma once

#include <jni.h>

#include <string>

namespace ecadbridge {

// Owns one local reference and deletes it when it goes out of scope, so that a long ECAD session
// does not fill the thread's local reference table.
template <typename T>
class ScopedLocalRef {
 public:
  ScopedLocalRef(JNIEnv* env, T ref) : env_(env), ref_(ref) {}
  ~ScopedLocalRef() {
    if (ref_ != nullptr) env_->DeleteLocalRef(ref_);
  }
  ScopedLocalRef(const ScopedLocalRef&) = delete;
  ScopedLocalRef& operator=(const ScopedLocalRef&) = delete;

  T get() const { return ref_; }
  explicit operator bool() const { return ref_ != nullptr; }

 private:
  JNIEnv* env_;
  T ref_;
};

// A new Java string (a local reference the caller owns) holding the UTF-8 `text`; malformed bytes
// become U+FFFD. Null text gives a null reference. Null for a text also means the VM could not
// allocate the string; an exception is then pending.
jstring newJavaString(JNIEnv* env, const char* text);

// The UTF-8 form of a Java string (which must not be null).
std::string javaStringToUtf8(JNIEnv* env, jstring text);

// When an exception is pending: lets the VM print it, clears it and returns true.
bool describeAndClearException(JNIEnv* env);

}  // namespace ecadbridge
