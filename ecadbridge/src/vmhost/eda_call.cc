#include "vmhost/eda_call.h"

#include <map>
#include <string>
#include <unordered_set>
#include <utility>

#include "jnisupport/java_string.h"
#include "jnisupport/local_ref.h"
#include "vmhost/java_vm_host.h"
#include "vmhost/message_sink.h"

namespace ecadbridge {
namespace {

void showFunctionMessage(const char* function, const char* what) {
  showMessage(std::string(function) + what);
}

// The client's method `method` with `descriptor`, looked up once; null when it is missing. Only
// the VM's thread gets here, so the table needs no lock.
jmethodID clientMethod(JNIEnv* env, jclass clientClass, const char* method,
                       const char* descriptor) {
  static auto* found = new std::map<std::pair<std::string, std::string>, jmethodID>;
  const auto key = std::make_pair(std::string(method), std::string(descriptor));
  auto known = found->find(key);
  if (known != found->end()) return known->second;
  jmethodID id = env->GetMethodID(clientClass, method, descriptor);
  if (id == nullptr) {
    env->ExceptionClear();
    return nullptr;
  }
  found->emplace(key, id);
  return id;
}

}  // namespace

JavaArguments::~JavaArguments() {
  for (size_t i = 0; i < count_; ++i) {
    if (strings_[i] != nullptr) env_->DeleteLocalRef(strings_[i]);
  }
}

bool JavaArguments::add(const char* text) {
  jstring string = text == nullptr ? nullptr : jnisupport::newJavaStringFromUtf8(env_, text);
  if (text != nullptr && string == nullptr) {
    jnisupport::describeAndClearException(env_);
    return false;
  }
  strings_[count_] = string;
  values_[count_].l = string;
  ++count_;
  return true;
}

bool JavaArguments::add(int value) {
  strings_[count_] = nullptr;
  values_[count_].i = value;
  ++count_;
  return true;
}

bool prepareCall(const char* function, const char* method, const char* descriptor,
                 PreparedCall* call) {
  if (javaEnv() == nullptr) runCreationSequence();
  JNIEnv* env = javaEnv();
  if (env == nullptr) {
    showFunctionMessage(function, ": Java Env is null");
    return false;
  }
  // The environment is only valid on the thread that created the VM; using it elsewhere would
  // corrupt the VM.
  if (!onVmThread()) {
    showFunctionMessage(function, ": called from a thread other than the one that started Java");
    return false;
  }
  jclass clientClass = getClientClass();
  if (clientClass == nullptr) {
    showMessage("Could not find edaClientClass");
    showFunctionMessage(function, ": methodID is null");
    return false;
  }
  jmethodID id = clientMethod(env, clientClass, method, descriptor);
  if (id == nullptr) {
    showFunctionMessage(function, ": methodID is null");
    return false;
  }
  // The class is there but no object could be made (its constructor failed): calling a method
  // on a null object would bring the VM down.
  if (clientObject() == nullptr) {
    showFunctionMessage(function, ": client object is null");
    return false;
  }
  call->env = env;
  call->client = clientObject();
  call->method = id;
  return true;
}

void reportArgumentFailure(const char* function) {
  showFunctionMessage(function, ": could not pass the arguments to Java");
}

const char* keepStagingDirText(JNIEnv* env, jstring text) {
  if (text == nullptr) {
    showMessage(
        "EDA_getStagingDir: Fail to get the staging dir. Please check the file "
        "MVEDAClient.properties does exist within $MVEDAECAD_ROOT.");
    return nullptr;
  }
  jnisupport::LocalRef<jstring> owned(env, text);
  std::string utf8;
  if (jnisupport::readJavaStringAsUtf8(env, owned.get(), &utf8) !=
      jnisupport::JavaStringStatus::kOk) {
    jnisupport::describeAndClearException(env);
    return nullptr;
  }
  // Callers keep the pointer for the rest of the process; one copy per distinct text keeps that
  // promise without growing with every call. Nodes of an unordered_set never move.
  static auto* kept = new std::unordered_set<std::string>;
  return kept->insert(std::move(utf8)).first->c_str();
}

}  // namespace ecadbridge
