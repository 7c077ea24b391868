// AddParts of com.morvane.vxncontainer.VXNContainerProxy.
#include "com_morvane_vxncontainer_VXNContainerProxy.h"
#include "containerproxy/export.h"
#include "jni/java_classes.h"
#include "jni/native_frame.h"
#include "proxy/container_jobs.h"

namespace containerproxy {
namespace {

JobOutcome addPartsFromJava(JNIEnv* env, jstring containerPath, jint count, jobjectArray parts) {
  String path;
  JobOutcome failure;
  if (!readArgument(env, containerPath, "containerPath", &path, &failure)) return failure;
  int elements = 0;
  if (!countElements(env, parts, count, "parts", &elements, &failure)) return failure;
  PartPropertyClass& fields = partPropertyClass();
  if (fields.uri.field(env) == nullptr || fields.name.field(env) == nullptr ||
      fields.type_.field(env) == nullptr) {
    return jobFailed("Class PartProperty not found");
  }
  auto read = [&](int i, PartSource* part, String* error) {
    return readElement(env, parts, i, "parts",
                       {{&fields.uri, "uri", &part->uri},
                        {&fields.name, "name", &part->name},
                        {&fields.type_, "type", &part->type}},
                       error);
  };
  return addParts(path, elements, read);
}

}  // namespace
}  // namespace containerproxy

VXN_CONTAINER_PROXY_EXPORT jobject JNICALL Java_com_morvane_vxncontainer_VXNContainerProxy_AddParts(
    JNIEnv* env, jobject, jstring containerPath, jint count, jobjectArray parts) {
  return containerproxy::runResultNative(
      env, [&] { return containerproxy::addPartsFromJava(env, containerPath, count, parts); });
}
