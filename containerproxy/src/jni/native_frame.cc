#include "jni/native_frame.h"

#include <clocale>
#include <new>

#include "jni/java_result.h"
#include "jni/java_text.h"

namespace containerproxy {

void useUserLocale() { std::setlocale(LC_ALL, ""); }

jobject runResultNative(JNIEnv* env, const std::function<JobOutcome()>& job) {
  useUserLocale();
  JavaResult result(env);
  if (!result.Create()) return nullptr;
  JobOutcome outcome;
  try {
    outcome = job();
  } catch (const std::bad_alloc&) {
    // The SDK objects the job made are released by their scoped owners while unwinding.
    outcome = jobFailed("Out of memory");
  } catch (const std::exception& e) {
    outcome = jobFailed(String::FromNarrow(e.what()));
  }
  if (env->ExceptionCheck()) return nullptr;
  return result.Fill(outcome);
}

bool readArgument(JNIEnv* env, jstring value, const char* name, String* out, JobOutcome* failure) {
  switch (readJavaString(env, value, out)) {
    case JavaStringStatus::kOk:
      return true;
    case JavaStringStatus::kNull:
      *failure = jobFailed("Argument " + String(name) + " is null");
      return false;
    case JavaStringStatus::kFailed:
      break;
  }
  *failure = jobFailed("Cannot read argument " + String(name));
  return false;
}

int clampCount(JNIEnv* env, jobjectArray array, jint count) {
  const jsize length = array == nullptr ? 0 : env->GetArrayLength(array);
  if (count < 0) return 0;
  return count < length ? count : length;
}

}  // namespace containerproxy
