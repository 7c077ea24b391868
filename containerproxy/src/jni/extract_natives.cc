// ExtractAllParts and ExtractPart of com.morvane.vxncontainer.VXNContainerProxy.
#include "com_morvane_vxncontainer_VXNContainerProxy.h"
#include "containerproxy/export.h"
#include "jni/native_frame.h"
#include "proxy/container_jobs.h"

using containerproxy::JobOutcome;
using containerproxy::readArgument;
using containerproxy::String;

VXN_CONTAINER_PROXY_EXPORT jobject JNICALL
Java_com_morvane_vxncontainer_VXNContainerProxy_ExtractAllParts(JNIEnv* env, jobject,
                                                                jstring containerPath,
                                                                jstring targetDirectory) {
  return containerproxy::runResultNative(env, [&]() -> JobOutcome {
    String path;
    String directory;
    JobOutcome failure;
    if (!readArgument(env, containerPath, "containerPath", &path, &failure) ||
        !readArgument(env, targetDirectory, "targetDirectory", &directory, &failure)) {
      return failure;
    }
    return containerproxy::extractAllParts(path, directory);
  });
}

VXN_CONTAINER_PROXY_EXPORT jobject JNICALL
Java_com_morvane_vxncontainer_VXNContainerProxy_ExtractPart(JNIEnv* env, jobject,
                                                            jstring containerPath,
                                                            jstring targetDirectory,
                                                            jstring partName) {
  return containerproxy::runResultNative(env, [&]() -> JobOutcome {
    String path;
    String directory;
    String name;
    JobOutcome failure;
    if (!readArgument(env, containerPath, "containerPath", &path, &failure) ||
        !readArgument(env, targetDirectory, "targetDirectory", &directory, &failure) ||
        !readArgument(env, partName, "partName", &name, &failure)) {
      return failure;
    }
    return containerproxy::extractPart(path, directory, name);
  });
}
