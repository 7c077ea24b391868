// Java classes and their member IDs, looked up the first time they are needed and kept for the
// life of the library. Lookups that fail are tried again on the next use, so a class that was
// missing once is not missing for good. Safe to use from several threads at once.
#pragma once

#include <jni.h>

#include <atomic>

namespace jnisupport {

class JavaClass {
 public:
  // `name` in JNI form ("java/lang/String"); must outlive the object (a literal).
  explicit JavaClass(const char* name) : name_(name) {}
  JavaClass(const JavaClass&) = delete;
  JavaClass& operator=(const JavaClass&) = delete;

  // The class, held by a global reference that is never deleted (library classes stay loaded
  // as long as the library does). Null with the VM's exception pending when it is not found.
  jclass get(JNIEnv* env);
  const char* name() const { return name_; }

 private:
  const char* name_;
  std::atomic<jclass> class_{nullptr};
};

// The ID of an instance field, instance method or constructor ("<init>"), or static method of
// `owner`. Null with the VM's exception pending when it is not found.
class JavaMember {
 public:
  enum Kind { kField, kMethod, kStaticMethod };
  JavaMember(JavaClass* owner, Kind kind, const char* name, const char* signature)
      : owner_(owner), kind_(kind), name_(name), signature_(signature) {}
  JavaMember(const JavaMember&) = delete;
  JavaMember& operator=(const JavaMember&) = delete;

  jfieldID field(JNIEnv* env) { return static_cast<jfieldID>(lookup(env)); }
  jmethodID method(JNIEnv* env) { return static_cast<jmethodID>(lookup(env)); }

 private:
  void* lookup(JNIEnv* env);

  JavaClass* owner_;
  Kind kind_;
  const char* name_;
  const char* signature_;
  std::atomic<void*> id_{nullptr};
};

// Throws a new exception of class `className` with `message`. When that class cannot be found,
// the VM's own exception (NoClassDefFoundError) is left pending instead.
void throwJava(JNIEnv* env, const char* className, const char* message);

// True when an exception is pending; the exception is printed to standard error and cleared.
bool describeAndClearException(JNIEnv* env);

}  // namespace jnisupport
