#include "jni/java_text.h"

#include <limits>

namespace containerproxy {
namespace {

class StringChars {
 public:
  StringChars(JNIEnv* env, jstring text)
      : env_(env), text_(text), chars_(env->GetStringChars(text, nullptr)) {}
  StringChars(const StringChars&) = delete;
  StringChars& operator=(const StringChars&) = delete;
  ~StringChars() {
    if (chars_ != nullptr) env_->ReleaseStringChars(text_, chars_);
  }
  const jchar* get() const { return chars_; }

 private:
  JNIEnv* env_;
  jstring text_;
  const jchar* chars_;
};

}  // namespace

JavaStringStatus readJavaString(JNIEnv* env, jstring text, vxnxml_api::String* out) {
  if (text == nullptr) return JavaStringStatus::kNull;
  const jsize length = env->GetStringLength(text);
  StringChars chars(env, text);
  if (chars.get() == nullptr) return JavaStringStatus::kFailed;
  // jchar and char16_t are both 16-bit UTF-16 code units.
  static_assert(sizeof(jchar) == sizeof(char16_t), "jchar is a UTF-16 unit");
  *out = vxnxml_api::String(reinterpret_cast<const char16_t*>(chars.get()),
                            static_cast<size_t>(length));
  return JavaStringStatus::kOk;
}

jstring newJavaString(JNIEnv* env, const vxnxml_api::String& text) {
  if (text.GetLength() > static_cast<size_t>(std::numeric_limits<jsize>::max())) {
    // FindClass failing leaves its own exception pending.
    jclass error = env->FindClass("java/lang/OutOfMemoryError");
    if (error != nullptr) env->ThrowNew(error, "string too long");
    return nullptr;
  }
  return env->NewString(reinterpret_cast<const jchar*>(text.GetUtf16()),
                        static_cast<jsize>(text.GetLength()));
}

}  // namespace containerproxy
