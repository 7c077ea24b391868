#include "vmhost/jni_support.h"

#include "platform/text.h"

namespace ecadbridge {

// Texts go through UTF-16 rather than NewStringUTF: the VM expects modified UTF-8 there and
// treats anything else (4-byte sequences, stray bytes) as undefined input.
jstring newJavaString(JNIEnv* env, const char* text) {
  if (text == nullptr) return nullptr;
  const std::u16string wide = platform::utf8ToUtf16(text);
  static_assert(sizeof(jchar) == sizeof(char16_t), "jchar is UTF-16");
  return env->NewString(reinterpret_cast<const jchar*>(wide.data()),
                        static_cast<jsize>(wide.size()));
}

std::string javaStringToUtf8(JNIEnv* env, jstring text) {
  const jsize length = env->GetStringLength(text);
  std::u16string wide(static_cast<size_t>(length), u'\0');
  env->GetStringRegion(text, 0, length, reinterpret_cast<jchar*>(wide.data()));
  return platform::utf16ToUtf8(wide);
}

bool describeAndClearException(JNIEnv* env) {
  if (!env->ExceptionCheck()) return false;
  env->ExceptionDescribe();
  env->ExceptionClear();
  return true;
}

}  // namespace ecadbridge
