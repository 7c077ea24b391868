// Marks the JNI natives that libVXNContainerProxy exports; everything else stays hidden.
#pragma once

#include <jni.h>

#define VXN_CONTAINER_PROXY_EXPORT extern "C" JNIEXPORT
