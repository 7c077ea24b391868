#include "jni/java_result.h"

#include "jni/java_text.h"

namespace containerproxy {

bool JavaResult::Create() {
  jclass resultClass = env_->FindClass("com/morvane/vxncontainer/Result");
  if (resultClass == nullptr) return false;
  LocalRef classRef(env_, resultClass);
  ok_ = env_->GetFieldID(resultClass, "OK", "Z");
  if (ok_ == nullptr) return false;
  ret_ = env_->GetFieldID(resultClass, "ret", "Ljava/lang/String;");
  if (ret_ == nullptr) return false;
  errMessage_ = env_->GetFieldID(resultClass, "errMessage", "Ljava/lang/String;");
  if (errMessage_ == nullptr) return false;
  object_ = env_->AllocObject(resultClass);
  return object_ != nullptr;
}

jobject JavaResult::Fill(const JobOutcome& outcome) {
  jstring message = newJavaString(env_, outcome.ok ? vxnxml_api::String() : outcome.message);
  if (message == nullptr) return nullptr;
  LocalRef messageRef(env_, message);
  jstring empty = env_->NewStringUTF("");
  if (empty == nullptr) return nullptr;
  LocalRef emptyRef(env_, empty);
  env_->SetBooleanField(object_, ok_, outcome.ok ? JNI_TRUE : JNI_FALSE);
  env_->SetObjectField(object_, errMessage_, message);
  env_->SetObjectField(object_, ret_, empty);
  return object_;
}

}  // namespace containerproxy
