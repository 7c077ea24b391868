// The sequence every EDA_* function runs: make sure the VM exists, find the client's method,
// pass the arguments, call it, and clear a Java exception before returning.
#pragma once

#include <jni.h>

#include <array>

#include "jnisupport/java_class.h"

namespace ecadbridge {

// The arguments of one call as JNI values. Owns the Java strings it made and deletes them when
// the call is over.
class JavaArguments {
 public:
  explicit JavaArguments(JNIEnv* env) : env_(env) {}
  ~JavaArguments();
  JavaArguments(const JavaArguments&) = delete;
  JavaArguments& operator=(const JavaArguments&) = delete;

  // False when the VM could not make the string (its exception is then printed and cleared).
  bool add(const char* text);
  bool add(int value);

  const jvalue* values() const { return values_.data(); }

 private:
  static constexpr size_t kMaxArguments = 4;  // EDA_copyDesignFolder

  JNIEnv* env_;
  std::array<jvalue, kMaxArguments> values_{};
  std::array<jobject, kMaxArguments> strings_{};
  size_t count_ = 0;
};

// A client method that is ready to be called, found by steps 1 to 3 of the sequence.
struct PreparedCall {
  JNIEnv* env = nullptr;
  jobject client = nullptr;
  jmethodID method = nullptr;
};

// Steps 1 to 3: the VM (created when missing), the client class and the method id. False, after
// showing the messages that begin with `function`, when any of them is missing.
bool prepareCall(const char* function, const char* method, const char* descriptor,
                 PreparedCall* call);

// Shows that the arguments could not be handed to Java.
void reportArgumentFailure(const char* function);

template <typename... Args>
bool collectArguments(JavaArguments* arguments, Args... args) {
  return (true && ... && arguments->add(args));
}

// The whole sequence around `invoke(call, values)`, which makes the JNI call and turns its
// outcome into the function's result; `failed` is the result when the call cannot be made.
template <typename Result, typename Invoke, typename... Args>
Result callMethod(const char* function, const char* method, const char* descriptor, Result failed,
                  Invoke invoke, Args... args) {
  PreparedCall call;
  if (!prepareCall(function, method, descriptor, &call)) return failed;
  JavaArguments arguments(call.env);
  if (!collectArguments(&arguments, args...)) {
    reportArgumentFailure(function);
    return failed;
  }
  return invoke(call, arguments.values());
}

// The int-returning methods. The method's result is returned unchanged, also when it threw.
template <typename... Args>
int callIntMethod(const char* function, const char* method, const char* descriptor, Args... args) {
  auto invoke = [](const PreparedCall& call, const jvalue* values) {
    const jint result = call.env->CallIntMethodA(call.client, call.method, values);
    jnisupport::describeAndClearException(call.env);
    return static_cast<int>(result);
  };
  return callMethod(function, method, descriptor, 0, invoke, args...);
}

// A method without result; 1 when it threw, else 0.
template <typename... Args>
int callVoidMethod(const char* function, const char* method, const char* descriptor, Args... args) {
  auto invoke = [](const PreparedCall& call, const jvalue* values) {
    call.env->CallVoidMethodA(call.client, call.method, values);
    return jnisupport::describeAndClearException(call.env) ? 1 : 0;
  };
  return callMethod(function, method, descriptor, 0, invoke, args...);
}

// The string result of a call as UTF-8 owned by the library for the rest of the process
// (identical texts share one copy), or null when the method returned null.
const char* keepStagingDirText(JNIEnv* env, jstring text);

// The string-returning getStagingDir methods.
template <typename... Args>
const char* callStagingDirMethod(const char* function, const char* descriptor, Args... args) {
  auto invoke = [](const PreparedCall& call, const jvalue* values) {
    jobject result = call.env->CallObjectMethodA(call.client, call.method, values);
    jnisupport::describeAndClearException(call.env);
    return keepStagingDirText(call.env, static_cast<jstring>(result));
  };
  return callMethod(function, "getStagingDir", descriptor, static_cast<const char*>(nullptr),
                    invoke, args...);
}

}  // namespace ecadbridge
