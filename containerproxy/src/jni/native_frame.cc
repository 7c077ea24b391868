#include "jni/native_frame.h"

#include <new>
#include <string>

#include "jni/java_result.h"
#include "jnisupport/java_string.h"
#include "jnisupport/local_ref.h"
#include "platform/user_locale.h"

namespace containerproxy {
namespace {

using jnisupport::JavaStringStatus;

JavaStringStatus readString(JNIEnv* env, jstring value, String* out) {
  std::u16string text;
  const JavaStringStatus status = jnisupport::readJavaString(env, value, &text);
  if (status == JavaStringStatus::kOk) *out = String::FromUtf16(std::move(text));
  return status;
}

String elementText(const char* prefix, int index, const char* arrayName, const char* rest) {
  return String::FromNarrow(prefix + std::to_string(index) + " of " + arrayName + rest);
}

}  // namespace

jobject runResultNative(JNIEnv* env, const std::function<JobOutcome()>& job) {
  const platform::ScopedUserLocale userLocale;
  if (!findJavaResult(env)) return nullptr;
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
  return newJavaResult(env, outcome);
}

bool readArgument(JNIEnv* env, jstring value, const char* name, String* out, JobOutcome* failure) {
  switch (readString(env, value, out)) {
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

bool countElements(JNIEnv* env, jobjectArray array, jint count, const char* name, int* elements,
                   JobOutcome* failure) {
  if (array == nullptr && count > 0) {
    *failure = jobFailed("Argument " + String(name) + " is null");
    return false;
  }
  const jsize length = array == nullptr ? 0 : env->GetArrayLength(array);
  *elements = count < 0 ? 0 : (count < length ? count : length);
  return true;
}

bool readElement(JNIEnv* env, jobjectArray array, int index, const char* arrayName,
                 std::initializer_list<StringField> fields, String* error) {
  jnisupport::LocalRef<jobject> element(env, env->GetObjectArrayElement(array, index));
  if (env->ExceptionCheck()) {
    *error = elementText("Cannot read element ", index, arrayName, "");
    return false;
  }
  if (!element) {
    *error = elementText("Element ", index, arrayName, " is null");
    return false;
  }
  for (const StringField& field : fields) {
    jnisupport::LocalRef<jstring> value(
        env, static_cast<jstring>(env->GetObjectField(element.get(), field.field->field(env))));
    switch (readString(env, value.get(), field.out)) {
      case JavaStringStatus::kOk:
        continue;
      case JavaStringStatus::kNull:
        *error = elementText("Element ", index, arrayName,
                             (std::string(" has a null ") + field.name).c_str());
        return false;
      case JavaStringStatus::kFailed:
        break;
    }
    *error = elementText("Cannot read element ", index, arrayName, "");
    return false;
  }
  return true;
}

}  // namespace containerproxy
