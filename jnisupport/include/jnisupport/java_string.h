// Java strings to and from UTF-16, the one form in which text crosses the Java boundary. Each
// library converts UTF-16 to its own encoding on its side.
#pragma once

#include <jni.h>

#include <string>
#include <string_view>

namespace jnisupport {

enum class JavaStringStatus { kOk, kNull, kFailed };

// Copies the UTF-16 code units of `text` into *out exactly (U+0000 and lone surrogates
// included). kNull for a null reference; kFailed leaves a Java exception pending.
JavaStringStatus readJavaString(JNIEnv* env, jstring text, std::u16string* out);

// A new Java string (a local reference the caller owns) with the code units of `text`; null
// with a Java exception pending when the VM cannot make it.
jstring newJavaString(JNIEnv* env, std::u16string_view text);

// The same for text held as UTF-8; malformed UTF-8 and lone surrogates become U+FFFD. The VM's
// own UTF-8 calls are not used: they take modified UTF-8, and anything else is undefined there.
JavaStringStatus readJavaStringAsUtf8(JNIEnv* env, jstring text, std::string* out);
jstring newJavaStringFromUtf8(JNIEnv* env, std::string_view text);

}  // namespace jnisupport
