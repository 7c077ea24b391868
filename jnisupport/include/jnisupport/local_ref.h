// Ownership of JNI local references.
#pragma once

#include <jni.h>

namespace jnisupport {

// Owns one local reference and deletes it when the scope ends, so that loops and long sessions
// stay within the thread's local reference capacity.
template <typename T>
class LocalRef {
 public:
  LocalRef(JNIEnv* env, T ref) : env_(env), ref_(ref) {}
  LocalRef(const LocalRef&) = delete;
  LocalRef& operator=(const LocalRef&) = delete;
  ~LocalRef() {
    if (ref_ != nullptr) env_->DeleteLocalRef(ref_);
  }

  T get() const { return ref_; }
  explicit operator bool() const { return ref_ != nullptr; }
  // Gives the reference up, for returning it to Java.
  T release() {
    T ref = ref_;
    ref_ = nullptr;
    return ref;
  }

 private:
  JNIEnv* env_;
  T ref_;
};

}  // namespace jnisupport
