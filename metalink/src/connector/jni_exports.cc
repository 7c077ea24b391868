// The JNI natives of com.morvane.eda.odbccon_jni.ODBCConWrapper: the same six operations as the
// C entry points, with Java strings converted through UTF-8.
#include <jni.h>

#include <memory>
#include <string>
#include <vector>

#include "com_morvane_eda_odbccon_jni_ODBCConWrapper.h"
#include "connector/entry_guard.h"
#include "connector/odbc_con_operation.h"
#include "util/text_conversion.h"

namespace {

// Deletes a local reference when it goes out of scope, so loops and long calls do not fill the
// local reference table.
template <typename T>
class LocalRef {
 public:
  LocalRef(JNIEnv* env, T ref) : env_(env), ref_(ref) {}
  ~LocalRef() {
    if (ref_ != nullptr) env_->DeleteLocalRef(ref_);
  }
  LocalRef(const LocalRef&) = delete;
  LocalRef& operator=(const LocalRef&) = delete;
  T get() const { return ref_; }

 private:
  JNIEnv* env_;
  T ref_;
};

// Java string -> UTF-8 bytes (Java's own encoder) -> wide string, ending at the first U+0000.
// False when the string is null or Java raised an exception.
bool toWideString(JNIEnv* env, jstring text, std::u16string* out) {
  out->clear();
  if (text == nullptr) return false;
  LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
  if (stringClass.get() == nullptr) return false;
  LocalRef<jstring> charset(env, env->NewStringUTF("UTF-8"));
  if (charset.get() == nullptr) return false;
  const jmethodID getBytes =
      env->GetMethodID(stringClass.get(), "getBytes", "(Ljava/lang/String;)[B");
  if (getBytes == nullptr) return false;
  LocalRef<jbyteArray> bytes(
      env, static_cast<jbyteArray>(env->CallObjectMethod(text, getBytes, charset.get())));
  if (env->ExceptionCheck() || bytes.get() == nullptr) {
    env->ExceptionClear();
    return false;
  }
  const jsize length = env->GetArrayLength(bytes.get());
  std::string utf8;
  if (length > 0) {
    utf8.resize(static_cast<size_t>(length));
    env->GetByteArrayRegion(bytes.get(), 0, length, reinterpret_cast<jbyte*>(&utf8[0]));
    const size_t nul = utf8.find('\0');
    if (nul != std::string::npos) utf8.resize(nul);
  }
  *out = toWide(utf8);
  return true;
}

// Converts every argument; false when one is null (treated like a null C string).
bool toWideStrings(JNIEnv* env, std::initializer_list<std::pair<jstring, std::u16string*>> args) {
  for (const auto& [text, out] : args) {
    if (!toWideString(env, text, out)) return false;
  }
  return true;
}

// Wide string -> UTF-8 bytes -> Java string decoded with "utf-8"; null when Java fails.
jstring toJavaString(JNIEnv* env, jclass stringClass, const std::u16string& text) {
  const std::string utf8 = toUtf8(text);
  const jmethodID init = env->GetMethodID(stringClass, "<init>", "([BLjava/lang/String;)V");
  if (init == nullptr) return nullptr;
  LocalRef<jbyteArray> bytes(env, env->NewByteArray(static_cast<jsize>(utf8.size())));
  if (bytes.get() == nullptr) return nullptr;
  env->SetByteArrayRegion(bytes.get(), 0, static_cast<jsize>(utf8.size()),
                          reinterpret_cast<const jbyte*>(utf8.data()));
  LocalRef<jstring> charset(env, env->NewStringUTF("utf-8"));
  if (charset.get() == nullptr) return nullptr;
  return static_cast<jstring>(env->NewObject(stringClass, init, bytes.get(), charset.get()));
}

// Runs a list operation and returns its names as a String array (length 0 on failure; null only
// when Java itself cannot make an array, with its exception pending).
template <typename Operation>
jobjectArray listToJava(JNIEnv* env, std::initializer_list<std::pair<jstring, std::u16string*>> args,
                        Operation&& operation) {
  LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
  if (stringClass.get() == nullptr) return nullptr;
  std::vector<std::u16string> names;
  if (toWideStrings(env, args)) {
    names = metalink::runGuarded(std::vector<std::u16string>(), [&] {
      CODBCConOperation connector;
      return connector.isUsable() ? operation(connector) : std::vector<std::u16string>();
    });
  }
  jobjectArray array =
      env->NewObjectArray(static_cast<jsize>(names.size()), stringClass.get(), nullptr);
  if (array == nullptr) return nullptr;
  for (size_t i = 0; i < names.size(); ++i) {
    LocalRef<jstring> name(env, toJavaString(env, stringClass.get(), names[i]));
    if (env->ExceptionCheck()) return array;
    env->SetObjectArrayElement(array, static_cast<jsize>(i), name.get());
  }
  return array;
}

template <typename Operation>
jint transfer(Operation&& operation) {
  return metalink::runGuarded(0, [&] {
    CODBCConOperation connector;
    return connector.isUsable() ? operation(connector) : 0;
  });
}

}  // namespace

extern "C" {

JNIEXPORT jint JNICALL Java_com_morvane_eda_odbccon_1jni_ODBCConWrapper_jni_1checkDataSource(
    JNIEnv* env, jclass, jstring dataSource, jstring user, jstring password) {
  std::u16string d, u, p;
  if (!toWideStrings(env, {{dataSource, &d}, {user, &u}, {password, &p}})) return 0;
  return transfer([&](CODBCConOperation& c) { return c.checkDataSource(d, u, p); });
}

JNIEXPORT jint JNICALL Java_com_morvane_eda_odbccon_1jni_ODBCConWrapper_jni_1exportMetadataDB(
    JNIEnv* env, jclass, jstring libraryFile, jstring dataSource, jstring user, jstring password,
    jstring syncMapFile, jint option, jstring referenceLibraryFile) {
  std::u16string l, d, u, p, s, r;
  if (!toWideStrings(env, {{libraryFile, &l},
                           {dataSource, &d},
                           {user, &u},
                           {password, &p},
                           {syncMapFile, &s},
                           {referenceLibraryFile, &r}})) {
    return 0;
  }
  return transfer([&](CODBCConOperation& c) { return c.exportMetadataDB(l, d, u, p, s, option, r); });
}

JNIEXPORT jint JNICALL Java_com_morvane_eda_odbccon_1jni_ODBCConWrapper_jni_1importMetadataDB(
    JNIEnv* env, jclass, jstring dataSource, jstring user, jstring password, jstring syncMapFile,
    jstring libraryFile, jstring logFile) {
  std::u16string d, u, p, s, l, log;
  if (!toWideStrings(env, {{dataSource, &d},
                           {user, &u},
                           {password, &p},
                           {syncMapFile, &s},
                           {libraryFile, &l}})) {
    return 0;
  }
  // A null log file means the same as an empty one: keep the configured log file.
  if (logFile != nullptr && !toWideString(env, logFile, &log)) return 0;
  return transfer([&](CODBCConOperation& c) { return c.importMetadataDB(d, u, p, s, l, log); });
}

JNIEXPORT jobjectArray JNICALL
Java_com_morvane_eda_odbccon_1jni_ODBCConWrapper_jni_1getDataSources(JNIEnv* env, jclass) {
  return listToJava(env, {}, [](CODBCConOperation& c) { return c.getDataSources(); });
}

JNIEXPORT jobjectArray JNICALL Java_com_morvane_eda_odbccon_1jni_ODBCConWrapper_jni_1getTables(
    JNIEnv* env, jclass, jstring dataSource, jstring user, jstring password) {
  std::u16string d, u, p;
  return listToJava(env, {{dataSource, &d}, {user, &u}, {password, &p}},
                    [&](CODBCConOperation& c) { return c.getTables(d, u, p); });
}

JNIEXPORT jobjectArray JNICALL Java_com_morvane_eda_odbccon_1jni_ODBCConWrapper_jni_1getColumns(
    JNIEnv* env, jclass, jstring dataSource, jstring user, jstring password, jstring table) {
  std::u16string d, u, p, t;
  return listToJava(env, {{dataSource, &d}, {user, &u}, {password, &p}, {table, &t}},
                    [&](CODBCConOperation& c) { return c.getColumns(d, u, p, t); });
}

}  // extern "C"
