#include "vmhost/java_vm_host.h"

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "jnisupport/java_class.h"
#include "jnisupport/local_ref.h"
#include "vmhost/jvm_library.h"
#include "vmhost/message_sink.h"
#include "vmhost/vm_options.h"

namespace ecadbridge {
namespace {

// Process-wide; never released. Written only by the creation sequence.
JNIEnv* gJavaEnv = nullptr;
jobject gClientObject = nullptr;
std::thread::id gVmThread;

// The client class, found once; null (the VM's exception cleared) while it cannot be found.
jclass findClientClass(JNIEnv* env) {
  static auto* clientClass = new jnisupport::JavaClass(kClientClassName);
  jclass found = clientClass->get(env);
  if (found == nullptr) env->ExceptionClear();
  return found;
}

}  // namespace

JNIEnv* javaEnv() { return gJavaEnv; }

jobject clientObject() { return gClientObject; }

bool onVmThread() { return std::this_thread::get_id() == gVmThread; }

void runCreationSequence() {
  gJavaEnv = createJavaVM(std::getenv("CLASSPATH"), std::getenv("PATH"));
  if (gJavaEnv == nullptr) return;
  gVmThread = std::this_thread::get_id();
  gClientObject = createClientObject(gJavaEnv);
}

JNIEnv* createJavaVM(const char* classPathSeed, const char* libraryPathSeed) {
  std::vector<std::string> optionTexts = buildJavaVmOptions(classPathSeed, libraryPathSeed);
  std::vector<JavaVMOption> options(optionTexts.size());
  for (size_t i = 0; i < optionTexts.size(); ++i) {
    options[i].optionString = optionTexts[i].data();
    options[i].extraInfo = nullptr;
  }
  JavaVMInitArgs args;
  args.version = JNI_VERSION_1_4;
  args.nOptions = static_cast<jint>(options.size());
  args.options = options.data();
  args.ignoreUnrecognized = JNI_FALSE;

  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  CreateJavaVmFunction create = loadCreateJavaVm(javaVmLibraryCandidates());
  if (create == nullptr || create(&vm, reinterpret_cast<void**>(&env), &args) < 0) {
    showMessage("Failed to load and initialize Java VM");
    return nullptr;
  }
  return env;
}

jobject createClientObject(JNIEnv* env) {
  if (env == nullptr) return nullptr;
  jclass clientClass = findClientClass(env);
  if (clientClass == nullptr) {
    showMessage("Did not find class");
    return nullptr;
  }
  jmethodID constructor = env->GetMethodID(clientClass, "<init>", "()V");
  if (constructor == nullptr) {
    env->ExceptionClear();
    showMessage("Failed to create DefaultEDAClient");
    return nullptr;
  }
  jnisupport::LocalRef<jobject> client(env, env->NewObject(clientClass, constructor));
  // A constructor that throws leaves no object; its exception must not reach the next call.
  if (jnisupport::describeAndClearException(env) || !client) {
    showMessage("Failed to create DefaultEDAClient");
    return nullptr;
  }
  return env->NewGlobalRef(client.get());
}

jclass getClientClass() {
  if (gJavaEnv == nullptr) runCreationSequence();
  if (gJavaEnv == nullptr) return nullptr;
  return findClientClass(gJavaEnv);
}

}  // namespace ecadbridge
