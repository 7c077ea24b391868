// A minimal ECAD host for the tests: loads libecadbridge.so with dlopen as a tool would, finds
// the EDA_* functions under their C++ names and collects every message the library shows.
#pragma once

#include <string>
#include <vector>

namespace ecadbridge_test {

// Parameter lists of the EDA functions ("Mode" is the leading int).
enum class Signature {
  kText1,
  kText2,
  kText3,
  kText4,
  kModeText2,
  kModeText3,
  kStaging0,
  kStaging1
};

struct EdaFunction {
  const char* name;  // EDA_save
  Signature signature;
  const char* javaMethod;  // save
};

// All 48 functions, both forms of the overloaded ones included.
const std::vector<EdaFunction>& edaFunctions();

// How many text parameters a function takes, and whether a leading int comes first.
size_t textCount(Signature signature);
bool takesMode(Signature signature);
bool returnsText(Signature signature);

// The symbol the C++ compiler gives the function (Itanium C++ ABI).
std::string mangledName(const EdaFunction& function);

class EdaLibrary {
 public:
  EdaLibrary() = default;
  ~EdaLibrary();  // the library stays loaded: its VM cannot be unloaded
  EdaLibrary(const EdaLibrary&) = delete;
  EdaLibrary& operator=(const EdaLibrary&) = delete;

  // Loads the library, resolves every function and installs the message handler. On failure
  // `error` says what is missing.
  bool load(const std::string& path, std::string* error);

  struct Result {
    int value = 0;
    const char* text = nullptr;
  };
  // Calls `function` with the first textCount() texts and, when it takes one, `mode` first.
  Result call(const EdaFunction& function, const std::vector<const char*>& texts, int mode = 0);
  // Calls by name; the name must be unambiguous for the given signature.
  Result call(const char* name, Signature signature, const std::vector<const char*>& texts,
              int mode = 0);

  // The messages shown since the last take, in order.
  std::vector<std::string> takeMessages();

 private:
  static void onMessage(const char* caption, const char* text, void* self);

  using InstallHandler = void (*)(void (*)(const char*, const char*, void*), void*);

  void* handle_ = nullptr;
  InstallHandler installHandler_ = nullptr;
  std::vector<void*> addresses_;  // parallel to edaFunctions()
  std::vector<std::string> messages_;
};

}  // namespace ecadbridge_test
