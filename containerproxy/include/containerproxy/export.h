// Marks the JNI natives that libVXNContainerProxy exports; everything else stays hidden.
#ifndef CONTAINERPROXY_EXPORT_H_
#define CONTAINERPROXY_EXPORT_H_

#include <jni.h>

#define VXN_CONTAINER_PROXY_EXPORT extern "C" JNIEXPORT

#endif  // CONTAINERPROXY_EXPORT_H_
