// GetProperties and SetProperties of com.morvane.vxncontainer.VXNContainerProxy.
#include <limits>
#include <map>
#include <new>

#include "com_morvane_vxncontainer_VXNContainerProxy.h"
#include "containerproxy/export.h"
#include "jni/java_classes.h"
#include "jni/native_frame.h"
#include "jnisupport/java_string.h"
#include "jnisupport/local_ref.h"
#include "platform/user_locale.h"
#include "proxy/container_jobs.h"

namespace containerproxy {
namespace {

using jnisupport::LocalRef;

// False with a Java exception pending.
bool findContainerProperty(JNIEnv* env, ContainerPropertyClass* fields) {
  return fields->name.field(env) != nullptr && fields->value.field(env) != nullptr;
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
  int elements = 0;
  if (!countElements(env, properties, count, "properties", &elements, &failure)) return failure;
  ContainerPropertyClass& fields = containerPropertyClass();
  if (!findContainerProperty(env, &fields)) return jobFailed("Class ContainerProperty not found");

  auto read = [&](int i, PropertyEntry* property, String* error) {
    return readElement(
        env, properties, i, "properties",
        {{&fields.name, "name", &property->name}, {&fields.value, "value", &property->value}},
        error);
  };
  return setProperties(path, key, elements, read);
}

// Stores one ContainerProperty at `index`; false with a Java exception pending.
bool storeProperty(JNIEnv* env, jobjectArray array, jsize index, ContainerPropertyClass* fields,
                   const String& name, const String& value) {
  LocalRef<jobject> property(env, env->AllocObject(fields->type.get(env)));
  if (!property) return false;
  LocalRef<jstring> nameText(env, jnisupport::newJavaString(env, name.Utf16()));
  if (!nameText) return false;
  LocalRef<jstring> valueText(env, jnisupport::newJavaString(env, value.Utf16()));
  if (!valueText) return false;
  env->SetObjectField(property.get(), fields->name.field(env), nameText.get());
  env->SetObjectField(property.get(), fields->value.field(env), valueText.get());
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

  ContainerPropertyClass& fields = containerPropertyClass();
  if (!findContainerProperty(env, &fields)) return nullptr;
  const jclass elementClass = objectClass().get(env);
  if (elementClass == nullptr) return nullptr;
  LocalRef<jobjectArray> array(
      env, env->NewObjectArray(static_cast<jsize>(properties.size()), elementClass, nullptr));
  if (!array) return nullptr;

  jsize index = 0;
  for (const auto& [name, value] : properties) {
    if (!storeProperty(env, array.get(), index++, &fields, name, value)) return nullptr;
  }
  return array.release();
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
  const platform::ScopedUserLocale userLocale;
  try {
    return containerproxy::getPropertiesForJava(env, containerPath, propertyKey);
  } catch (const std::exception&) {
    // Out of memory on the native side; the SDK objects were released while unwinding.
    return nullptr;
  }
}
