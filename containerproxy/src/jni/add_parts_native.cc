// AddParts of com.morvane.vxncontainer.VXNContainerProxy.
#include "com_morvane_vxncontainer_VXNContainerProxy.h"
#include "containerproxy/export.h"
#include "jni/java_text.h"
#include "jni/native_frame.h"

namespace containerproxy {
namespace {

struct PartPropertyFields {
  jfieldID uri = nullptr;
  jfieldID name = nullptr;
  jfieldID type = nullptr;
};

// False with a Java exception pending.
bool findPartPropertyFields(JNIEnv* env, PartPropertyFields* fields) {
  jclass partClass = env->FindClass("com/morvane/vxncontainer/PartProperty");
  if (partClass == nullptr) return false;
  LocalRef classRef(env, partClass);
  fields->uri = env->GetFieldID(partClass, "uri", "Ljava/lang/String;");
  if (fields->uri == nullptr) return false;
  fields->name = env->GetFieldID(partClass, "name", "Ljava/lang/String;");
  if (fields->name == nullptr) return false;
  fields->type = env->GetFieldID(partClass, "type", "Ljava/lang/String;");
  return fields->type != nullptr;
}

// Reads one String field of `element`; its local reference is gone when this returns.
bool readField(JNIEnv* env, jobject element, jfieldID field, const char* fieldName, int index,
               String* out, String* error) {
  LocalRef value(env, env->GetObjectField(element, field));
  switch (readJavaString(env, static_cast<jstring>(value.get()), out)) {
    case JavaStringStatus::kOk:
      return true;
    case JavaStringStatus::kNull:
      *error = String::FromNarrow("Element " + std::to_string(index) + " of parts has a null " +
                                  fieldName);
      return false;
    case JavaStringStatus::kFailed:
      break;
  }
  *error = String::FromNarrow("Cannot read element " + std::to_string(index) + " of parts");
  return false;
}

JobOutcome addPartsFromJava(JNIEnv* env, jstring containerPath, jint count, jobjectArray parts) {
  String path;
  JobOutcome failure;
  if (!readArgument(env, containerPath, "containerPath", &path, &failure)) return failure;
  PartPropertyFields fields;
  if (!findPartPropertyFields(env, &fields)) return jobFailed("Class PartProperty not found");

  auto read = [&](int i, PartSource* part, String* error) {
    LocalRef element(env, env->GetObjectArrayElement(parts, i));
    if (env->ExceptionCheck()) {
      *error = String::FromNarrow("Cannot read element " + std::to_string(i) + " of parts");
      return false;
    }
    if (element.get() == nullptr) {
      *error = String::FromNarrow("Element " + std::to_string(i) + " of parts is null");
      return false;
    }
    return readField(env, element.get(), fields.uri, "uri", i, &part->uri, error) &&
           readField(env, element.get(), fields.name, "name", i, &part->name, error) &&
           readField(env, element.get(), fields.type, "type", i, &part->type, error);
  };
  return addParts(path, clampCount(env, parts, count), read);
}

}  // namespace
}  // namespace containerproxy

VXN_CONTAINER_PROXY_EXPORT jobject JNICALL Java_com_morvane_vxncontainer_VXNContainerProxy_AddParts(
    JNIEnv* env, jobject, jstring containerPath, jint count, jobjectArray parts) {
  return containerproxy::runResultNative(
      env, [&] { return containerproxy::addPartsFromJava(env, containerPath, count, parts); });
}
