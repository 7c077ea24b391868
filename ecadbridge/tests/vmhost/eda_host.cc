#include "eda_host.h"

#include <dlfcn.h>

#include <cstring>

namespace ecadbridge_test {

const std::vector<EdaFunction>& edaFunctions() {
  using S = Signature;
  static const std::vector<EdaFunction> functions = {
      {"EDA_setApplicationName", S::kText1, "setApplication"},
      {"EDA_openDataSet", S::kText2, "openDataSet"},
      {"EDA_preSave", S::kText2, "preSave"},
      {"EDA_save", S::kText2, "save"},
      {"EDA_preSaveAs", S::kText2, "preSaveAs"},
      {"EDA_saveAs", S::kText2, "saveAs"},
      {"EDA_preSaveAs2", S::kText2, "preSaveAs2"},
      {"EDA_saveAs2", S::kText2, "saveAs2"},
      {"EDA_preRevise", S::kText2, "preRevise"},
      {"EDA_revise", S::kText2, "revise"},
      {"EDA_saveDerivedData", S::kText2, "saveDerivedData"},
      {"EDA_preCheckIn", S::kText2, "preCheckIn"},
      {"EDA_checkIn", S::kText2, "checkIn"},
      {"EDA_checkOut", S::kText3, "checkOut"},
      {"EDA_uncheckOut", S::kText3, "cancelCheckOut"},
      {"EDA_purgeCache", S::kText1, "purgeCache"},
      {"EDA_getStagingDir", S::kStaging0, "getStagingDir"},
      {"EDA_getStagingDir", S::kStaging1, "getStagingDir"},
      {"EDA_refresh", S::kText3, "refresh"},
      {"EDA_itemInfo", S::kText3, "getItemInfo"},
      {"EDA_showItemInfo", S::kText3, "showItemInfo"},
      {"EDA_getPreferenceValues", S::kText2, "getPreferenceValues"},
      {"EDA_setPreferenceValuesUI", S::kText1, "setPreferenceValuesUI"},
      {"EDA_setPreferenceValues", S::kText2, "setPreferenceValues"},
      {"EDA_logout", S::kText1, "logout"},
      {"EDA_loadLibrary", S::kText2, "loadLibrary"},
      {"EDA_saveLibrary", S::kText3, "saveLibrary"},
      {"EDA_syncLibrary", S::kModeText3, "syncLibrary"},
      {"EDA_checkoutLibrary", S::kText3, "checkoutLibrary"},
      {"EDA_checkinLibrary", S::kText3, "checkinLibrary"},
      {"EDA_cancelCheckoutLibrary", S::kText3, "cancelCheckoutLibrary"},
      {"EDA_reviseLibrary", S::kText2, "reviseLibrary"},
      {"EDA_setWorkingLibrary", S::kText2, "setWorkingLibrary"},
      {"EDA_configureLibrary", S::kText1, "configureLibrary"},
      {"EDA_exportLibrary", S::kText2, "exportLibrary"},
      {"EDA_exportLibrary", S::kModeText2, "exportLibrary"},
      {"EDA_reconcilePartsSelect", S::kText2, "reconcilePartsSelect"},
      {"EDA_reconcileParts", S::kText2, "reconcileParts"},
      {"EDA_downloadBOM", S::kText3, "downloadBOM"},
      {"EDA_copyDesignFolder", S::kText4, "copyDesignFolder"},
      {"EDA_initiatePartWorkflowFromDesign", S::kText2, "initiatePartWorkflowFromDesign"},
      {"EDA_initiateDesignWorkflow", S::kText2, "initiateDesignWorkflow"},
      {"EDA_showWorkflowStatus", S::kText2, "showWorkflowStatus"},
      {"EDA_getMyWorklist", S::kText1, "getMyWorklist"},
      {"EDA_initiateIssueManager", S::kText2, "initiateIssueManager"},
      {"EDA_initiateCollaborationIssue", S::kText2, "initiateCollaborationIssue"},
      {"EDA_publishCollaborationFile", S::kText2, "publishCollaborationFile"},
      {"EDA_downloadCollaborationFile", S::kText2, "downloadCollaborationFile"},
  };
  return functions;
}

size_t textCount(Signature signature) {
  switch (signature) {
    case Signature::kStaging0:
      return 0;
    case Signature::kText1:
    case Signature::kStaging1:
      return 1;
    case Signature::kText2:
    case Signature::kModeText2:
      return 2;
    case Signature::kText3:
    case Signature::kModeText3:
      return 3;
    case Signature::kText4:
      return 4;
  }
  return 0;
}

bool takesMode(Signature signature) {
  return signature == Signature::kModeText2 || signature == Signature::kModeText3;
}

bool returnsText(Signature signature) {
  return signature == Signature::kStaging0 || signature == Signature::kStaging1;
}

std::string mangledName(const EdaFunction& function) {
  std::string name = "_Z" + std::to_string(std::strlen(function.name)) + function.name;
  const size_t texts = textCount(function.signature);
  if (takesMode(function.signature)) name += "i";
  if (texts == 0) return name + "v";
  name += "PKc";  // const char*; repeats refer back to it as S0_
  for (size_t i = 1; i < texts; ++i) name += "S0_";
  return name;
}

EdaLibrary::~EdaLibrary() {
  // The handler points at this object; later messages go back to the default sink.
  if (installHandler_ != nullptr) installHandler_(nullptr, nullptr);
}

bool EdaLibrary::load(const std::string& path, std::string* error) {
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    *error = ::dlerror();
    return false;
  }
  for (const EdaFunction& function : edaFunctions()) {
    void* address = ::dlsym(handle_, mangledName(function).c_str());
    if (address == nullptr) {
      *error = "missing export " + mangledName(function);
      return false;
    }
    addresses_.push_back(address);
  }
  installHandler_ =
      reinterpret_cast<InstallHandler>(::dlsym(handle_, "ecadbridge_setMessageHandler"));
  if (installHandler_ == nullptr) {
    *error = "missing export ecadbridge_setMessageHandler";
    return false;
  }
  installHandler_(&EdaLibrary::onMessage, this);
  return true;
}

EdaLibrary::Result EdaLibrary::call(const EdaFunction& function,
                                    const std::vector<const char*>& texts, int mode) {
  const size_t index = static_cast<size_t>(&function - edaFunctions().data());
  void* address = addresses_.at(index);
  const char* t[4] = {};
  for (size_t i = 0; i < texts.size() && i < 4; ++i) t[i] = texts[i];
  Result result;
  switch (function.signature) {
    case Signature::kText1:
      result.value = reinterpret_cast<int (*)(const char*)>(address)(t[0]);
      break;
    case Signature::kText2:
      result.value = reinterpret_cast<int (*)(const char*, const char*)>(address)(t[0], t[1]);
      break;
    case Signature::kText3:
      result.value = reinterpret_cast<int (*)(const char*, const char*, const char*)>(address)(
          t[0], t[1], t[2]);
      break;
    case Signature::kText4:
      result.value = reinterpret_cast<int (*)(const char*, const char*, const char*, const char*)>(
          address)(t[0], t[1], t[2], t[3]);
      break;
    case Signature::kModeText2:
      result.value =
          reinterpret_cast<int (*)(int, const char*, const char*)>(address)(mode, t[0], t[1]);
      break;
    case Signature::kModeText3:
      result.value = reinterpret_cast<int (*)(int, const char*, const char*, const char*)>(address)(
          mode, t[0], t[1], t[2]);
      break;
    case Signature::kStaging0:
      result.text = reinterpret_cast<const char* (*)()>(address)();
      break;
    case Signature::kStaging1:
      result.text = reinterpret_cast<const char* (*)(const char*)>(address)(t[0]);
      break;
  }
  return result;
}

EdaLibrary::Result EdaLibrary::call(const char* name, Signature signature,
                                    const std::vector<const char*>& texts, int mode) {
  for (const EdaFunction& function : edaFunctions()) {
    if (function.signature == signature && std::strcmp(function.name, name) == 0) {
      return call(function, texts, mode);
    }
  }
  return Result{};
}

std::vector<std::string> EdaLibrary::takeMessages() {
  std::vector<std::string> taken;
  taken.swap(messages_);
  return taken;
}

void EdaLibrary::onMessage(const char* caption, const char* text, void* self) {
  auto* library = static_cast<EdaLibrary*>(self);
  library->messages_.push_back(
      std::string(caption) == "log" ? text : "(bad caption) " + std::string(text));
}

}  // namespace ecadbridge_test
