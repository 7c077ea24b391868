#include "jni/java_result.h"

#include "jni/java_classes.h"
#include "jnisupport/java_string.h"
#include "jnisupport/local_ref.h"

namespace containerproxy {

using jnisupport::LocalRef;

bool findJavaResult(JNIEnv* env) {
  ResultClass& result = resultClass();
  return result.ok.field(env) != nullptr && result.errMessage.field(env) != nullptr &&
         result.ret.field(env) != nullptr;
}

jobject newJavaResult(JNIEnv* env, const JobOutcome& outcome) {
  ResultClass& result = resultClass();
  const jfieldID ok = result.ok.field(env);
  if (ok == nullptr) return nullptr;
  const jfieldID errMessage = result.errMessage.field(env);
  if (errMessage == nullptr) return nullptr;
  const jfieldID ret = result.ret.field(env);
  if (ret == nullptr) return nullptr;
  LocalRef<jobject> object(env, env->AllocObject(result.type.get(env)));
  if (!object) return nullptr;
  LocalRef<jstring> message(
      env, jnisupport::newJavaString(env, outcome.ok ? std::u16string() : outcome.message.Utf16()));
  if (!message) return nullptr;
  LocalRef<jstring> empty(env, jnisupport::newJavaString(env, std::u16string()));
  if (!empty) return nullptr;
  env->SetBooleanField(object.get(), ok, outcome.ok ? JNI_TRUE : JNI_FALSE);
  env->SetObjectField(object.get(), errMessage, message.get());
  env->SetObjectField(object.get(), ret, empty.get());
  return object.release();
}

}  // namespace containerproxy
