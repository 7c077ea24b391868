// The Java VM inside the ECAD tool's process and the one client object every EDA call uses.
//
// Both are created by the first call of the process and live until it ends. While VM creation
// keeps failing, every call tries again (and shows why again); once the VM exists it is never
// created again, even when the client object could not be made.
#pragma once

#include <jni.h>

namespace ecadbridge {

// JNI name of the Java client class.
inline constexpr const char* kClientClassName = "com/morvane/ecadbridge/DefaultEDAClientWrapper";

// The environment of the VM, or null while no VM exists.
JNIEnv* javaEnv();
// A global reference to the client object, or null when it could not be created.
jobject clientObject();

// Creates the VM and the client object; meant for the start of a call while javaEnv() is null.
void runCreationSequence();

// True when the calling thread may use javaEnv(): it is the thread that created the VM.
bool onVmThread();

// Starts the VM with the options built from the seeds and the environment. Null (after showing
// "Failed to load and initialize Java VM") when the VM library cannot be loaded or creation fails.
JNIEnv* createJavaVM(const char* classPathSeed, const char* libraryPathSeed);

// One client object made with the no-argument constructor, as a global reference; null (with a
// message) when the class or its constructor is missing or the constructor throws.
jobject createClientObject(JNIEnv* env);

// The client class, looked up once it can be found and then kept (a global reference). Runs the
// creation sequence first when there is no VM yet. Null when the class cannot be found.
jclass getClientClass();

}  // namespace ecadbridge
