// The JNI natives of com.morvane.eda.odbccon_jni.ODBCConWrapper: the same six operations as the
// C entry points, with Java strings taken as UTF-16.
#include <jni.h>

#include <memory>
#include <string>
#include <vector>

#include "com_morvane_eda_odbccon_jni_ODBCConWrapper.h"
#include "connector/entry_guard.h"
#include "connector/odbc_con_operation.h"
#include "jnisupport/java_class.h"
#include "jnisupport/java_string.h"
#include "jnisupport/local_ref.h"

namespace {

using jnisupport::LocalRef;

// A Java string as a wide string, ending at the first U+0000 like the C entry points' texts.
// False when the string is null or cannot be read (the VM's exception is then cleared: these
// natives report through their result).
bool toWideString(JNIEnv* env, jstring text, std::u16string* out) {
  out->clear();
  switch (jnisupport::readJavaString(env, text, out)) {
    case jnisupport::JavaStringStatus::kOk:
      break;
    case jnisupport::JavaStringStatus::kNull:
      return false;
    case jnisupport::JavaStringStatus::kFailed:
      env->ExceptionClear();
      return false;
  }
  const size_t nul = out->find(u'\0');
  if (nul != std::u16string::npos) out->resize(nul);
  return true;
}

// Converts every argument; false when one is null (treated like a null C string).
bool toWideStrings(JNIEnv* env, std::initializer_list<std::pair<jstring, std::u16string*>> args) {
  for (const auto& [text, out] : args) {
    if (!toWideString(env, text, out)) return false;
  }
  return true;
}

// Runs a list operation and returns its names as a String array (length 0 on failure; null only
// when Java itself cannot make an array, with its exception pending).
template <typename Operation>
jobjectArray listToJava(JNIEnv* env,
                        std::initializer_list<std::pair<jstring, std::u16string*>> args,
                        Operation&& operation) {
  static auto* stringClass = new jnisupport::JavaClass("java/lang/String");
  const jclass elementClass = stringClass->get(env);
  if (elementClass == nullptr) return nullptr;
  std::vector<std::u16string> names;
  if (toWideStrings(env, args)) {
    names = metalink::runGuarded(std::vector<std::u16string>(), [&] {
      CODBCConOperation connector;
      return connector.isUsable() ? operation(connector) : std::vector<std::u16string>();
    });
  }
  jobjectArray array = env->NewObjectArray(static_cast<jsize>(names.size()), elementClass, nullptr);
  if (array == nullptr) return nullptr;
  for (size_t i = 0; i < names.size(); ++i) {
    LocalRef<jstring> name(env, jnisupport::newJavaString(env, names[i]));
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
  return transfer(
      [&](CODBCConOperation& c) { return c.exportMetadataDB(l, d, u, p, s, option, r); });
}

JNIEXPORT jint JNICALL Java_com_morvane_eda_odbccon_1jni_ODBCConWrapper_jni_1importMetadataDB(
    JNIEnv* env, jclass, jstring dataSource, jstring user, jstring password, jstring syncMapFile,
    jstring libraryFile, jstring logFile) {
  std::u16string d, u, p, s, l, log;
  if (!toWideStrings(
          env,
          {{dataSource, &d}, {user, &u}, {password, &p}, {syncMapFile, &s}, {libraryFile, &l}})) {
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
