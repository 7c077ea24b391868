// GetProperties and SetProperties of com.morvane.vxncontainer.VXNContainerProxy.
#include <limits>
#include <map>
#include <new>

#include "com_morvane_vxncontainer_VXNContainerProxy.h"
#include "containerproxy/export.h"
#include "jni/java_text.h"
#include "jni/native_frame.h"

namespace containerproxy {
namespace {

struct ContainerPropertyFields {
  jfieldID name = nullptr;
  jfieldID value = nullptr;
};

// The class ContainerProperty (a new local reference) and its fields; null with a Java exception
// pending.
jclass findContainerProperty(JNIEnv* env, ContainerPropertyFields* fields) {
  jclass propertyClass = env->FindClass("com/morvane/vxncontainer/ContainerProperty");
  if (propertyClass == nullptr) return nullptr;
  fields->name = env->GetFieldID(propertyClass, "name", "Ljava/lang/String;");
  if (fields->name != nullptr) {
    fields->value = env->GetFieldID(propertyClass, "value", "Ljava/lang/String;");
  }
  if (fields->value == nullptr) {
    env->DeleteLocalRef(propertyClass);
    return nullptr;
  }
  return propertyClass;
}

bool readField(JNIEnv* env, jobject element, jfieldID field, const char* fieldName, int index,
               String* out, String* error) {
  LocalRef value(env, env->GetObjectField(element, field));
  switch (readJavaString(env, static_cast<jstring>(value.get()), out)) {
    case JavaStringStatus::kOk:
      return true;
    case JavaStringStatus::kNull:
      *error = String::FromNarrow("Element " + std::to_string(index) +
                                  " of properties has a null " + fieldName);
      return false;
    case JavaStringStatus::kFailed:
      break;
  }
  *error = String::FromNarrow("Cannot read element " + std::to_string(index) + " of properties");
  return false;
}

JobOutcome setPropertiesFromJava(JNIEnv* env, jstring containerPath, jstring propertyKey,
                                 jint count, jobjectArray properties) {
  String path;
  String key;
  JobOutcome failure;
  if (!readArgument(env, containerPath, "containerPath", &path, &failure) ||
      !readArgument(env, propertyKey, "propertyKey", &key, &failure)) {
    return failure;
  }
  ContainerPropertyFields fields;
  jclass propertyClass = findContainerProperty(env, &fields);
  if (propertyClass == nullptr) return jobFailed("Class ContainerProperty not found");
  LocalRef classRef(env, propertyClass);

  auto read = [&](int i, PropertyEntry* property, String* error) {
    LocalRef element(env, env->GetObjectArrayElement(properties, i));
    if (env->ExceptionCheck()) {
      *error = String::FromNarrow("Cannot read element " + std::to_string(i) + " of properties");
      return false;
    }
    if (element.get() == nullptr) {
      *error = String::FromNarrow("Element " + std::to_string(i) + " of properties is null");
      return false;
    }
    return readField(env, element.get(), fields.name, "name", i, &property->name, error) &&
           readField(env, element.get(), fields.value, "value", i, &property->value, error);
  };
  return setProperties(path, key, clampCount(env, properties, count), read);
}

// Stores one ContainerProperty at `index`; false with a Java exception pending.
bool storeProperty(JNIEnv* env, jobjectArray array, jsize index, jclass propertyClass,
                   const ContainerPropertyFields& fields, const String& name, const String& value) {
  LocalRef property(env, env->AllocObject(propertyClass));
  if (property.get() == nullptr) return false;
  LocalRef nameText(env, newJavaString(env, name));
  if (nameText.get() == nullptr) return false;
  LocalRef valueText(env, newJavaString(env, value));
  if (valueText.get() == nullptr) return false;
  env->SetObjectField(property.get(), fields.name, nameText.get());
  env->SetObjectField(property.get(), fields.value, valueText.get());
  env->SetObjectArrayElement(array, index, property.get());
  return !env->ExceptionCheck();
}

jobjectArray getPropertiesForJava(JNIEnv* env, jstring containerPath, jstring propertyKey) {
  // Every failure is a null array: the Java side has no channel for a message here.
  String path;
  String key;
  JobOutcome failure;
  if (!readArgument(env, containerPath, "containerPath", &path, &failure) ||
      !readArgument(env, propertyKey, "propertyKey", &key, &failure)) {
    return nullptr;
  }
  std::map<String, String> properties;
  if (!getProperties(path, key, &properties)) return nullptr;
  if (properties.size() > static_cast<size_t>(std::numeric_limits<jsize>::max())) return nullptr;

  ContainerPropertyFields fields;
  jclass propertyClass = findContainerProperty(env, &fields);
  if (propertyClass == nullptr) return nullptr;
  LocalRef classRef(env, propertyClass);
  jclass objectClass = env->FindClass("java/lang/Object");
  if (objectClass == nullptr) return nullptr;
  LocalRef objectClassRef(env, objectClass);
  jobjectArray array =
      env->NewObjectArray(static_cast<jsize>(properties.size()), objectClass, nullptr);
  if (array == nullptr) return nullptr;

  jsize index = 0;
  for (const auto& [name, value] : properties) {
    if (!storeProperty(env, array, index++, propertyClass, fields, name, value)) {
      env->DeleteLocalRef(array);
      return nullptr;
    }
  }
  return array;
}

}  // namespace
}  // namespace containerproxy

VXN_CONTAINER_PROXY_EXPORT jobject JNICALL
Java_com_morvane_vxncontainer_VXNContainerProxy_SetProperties(JNIEnv* env, jobject,
                                                              jstring containerPath,
                                                              jstring propertyKey, jint count,
                                                              jobjectArray properties) {
  return containerproxy::runResultNative(env, [&] {
    return containerproxy::setPropertiesFromJava(env, containerPath, propertyKey, count,
                                                 properties);
  });
}

VXN_CONTAINER_PROXY_EXPORT jobjectArray JNICALL
Java_com_morvane_vxncontainer_VXNContainerProxy_GetProperties(JNIEnv* env, jobject,
                                                              jstring containerPath,
                                                              jstring propertyKey) {
  containerproxy::useUserLocale();
  try {
    return containerproxy::getPropertiesForJava(env, containerPath, propertyKey);
  } catch (const std::exception&) {
    // Out of memory on the native side; the SDK objects were released while unwinding.
    return nullptr;
  }
}
