#include "jnisupport/java_string.h"

#include <limits>

#include "jnisupport/java_class.h"
#include "platform/text.h"

namespace jnisupport {

static_assert(sizeof(jchar) == sizeof(char16_t), "jchar is a UTF-16 code unit");

JavaStringStatus readJavaString(JNIEnv* env, jstring text, std::u16string* out) {
  if (text == nullptr) return JavaStringStatus::kNull;
  const jsize length = env->GetStringLength(text);
  if (env->ExceptionCheck()) return JavaStringStatus::kFailed;
  std::u16string units(static_cast<size_t>(length), u'\0');
  // GetStringRegion copies without pinning the string, so nothing has to be released.
  env->GetStringRegion(text, 0, length, reinterpret_cast<jchar*>(units.data()));
  if (env->ExceptionCheck()) return JavaStringStatus::kFailed;
  out->swap(units);
  return JavaStringStatus::kOk;
}

jstring newJavaString(JNIEnv* env, std::u16string_view text) {
  if (text.size() > static_cast<size_t>(std::numeric_limits<jsize>::max())) {
    throwJava(env, "java/lang/OutOfMemoryError", "string too long for Java");
    return nullptr;
  }
  return env->NewString(reinterpret_cast<const jchar*>(text.data()),
                        static_cast<jsize>(text.size()));
}

JavaStringStatus readJavaStringAsUtf8(JNIEnv* env, jstring text, std::string* out) {
  std::u16string units;
  const JavaStringStatus status = readJavaString(env, text, &units);
  if (status == JavaStringStatus::kOk) *out = platform::utf16ToUtf8(units);
  return status;
}

jstring newJavaStringFromUtf8(JNIEnv* env, std::string_view text) {
  return newJavaString(env, platform::utf8ToUtf16(text));
}

}  // namespace jnisupport
