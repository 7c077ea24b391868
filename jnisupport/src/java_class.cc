#include "jnisupport/java_class.h"

#include "jnisupport/local_ref.h"

namespace jnisupport {

jclass JavaClass::get(JNIEnv* env) {
  jclass known = class_.load(std::memory_order_acquire);
  if (known != nullptr) return known;
  LocalRef<jclass> found(env, env->FindClass(name_));
  if (!found) return nullptr;
  jclass global = static_cast<jclass>(env->NewGlobalRef(found.get()));
  if (global == nullptr) return nullptr;
  // Another thread may have stored its reference first; then ours is not needed.
  if (!class_.compare_exchange_strong(known, global, std::memory_order_acq_rel)) {
    env->DeleteGlobalRef(global);
    return known;
  }
  return global;
}

void* JavaMember::lookup(JNIEnv* env) {
  void* known = id_.load(std::memory_order_acquire);
  if (known != nullptr) return known;
  jclass owner = owner_->get(env);
  if (owner == nullptr) return nullptr;
  void* id = nullptr;
  switch (kind_) {
    case kField:
      id = env->GetFieldID(owner, name_, signature_);
      break;
    case kMethod:
      id = env->GetMethodID(owner, name_, signature_);
      break;
    case kStaticMethod:
      id = env->GetStaticMethodID(owner, name_, signature_);
      break;
  }
  // IDs stay valid while the class is loaded, which the global reference guarantees; two
  // threads that look one up at once find the same value.
  if (id != nullptr) id_.store(id, std::memory_order_release);
  return id;
}

void throwJava(JNIEnv* env, const char* className, const char* message) {
  LocalRef<jclass> type(env, env->FindClass(className));
  if (type) env->ThrowNew(type.get(), message);
}

bool describeAndClearException(JNIEnv* env) {
  if (!env->ExceptionCheck()) return false;
  env->ExceptionDescribe();
  env->ExceptionClear();
  return true;
}

}  // namespace jnisupport
