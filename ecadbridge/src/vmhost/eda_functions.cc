// The 48 exported EDA_* functions. Each forwards its arguments, in order, to the client method
// of the same purpose; the method names and descriptors are the client's interface.
#include "ecadbridge/eda.h"
#include "vmhost/eda_call.h"

using ecadbridge::callIntMethod;
using ecadbridge::callStagingDirMethod;
using ecadbridge::callVoidMethod;

int EDA_setApplicationName(const char* a) {
  return callVoidMethod("EDA_setApplicationName", "setApplication", "(Ljava/lang/String;)V", a);
}

int EDA_openDataSet(const char* a, const char* b) {
  return callIntMethod("EDA_openDataSet", "openDataSet", "(Ljava/lang/String;Ljava/lang/String;)I",
                       a, b);
}

int EDA_preSave(const char* a, const char* b) {
  return callIntMethod("EDA_preSave", "preSave", "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_save(const char* a, const char* b) {
  return callIntMethod("EDA_save", "save", "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_preSaveAs(const char* a, const char* b) {
  return callIntMethod("EDA_preSaveAs", "preSaveAs", "(Ljava/lang/String;Ljava/lang/String;)I", a,
                       b);
}

int EDA_saveAs(const char* a, const char* b) {
  return callIntMethod("EDA_saveAs", "saveAs", "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_preSaveAs2(const char* a, const char* b) {
  return callIntMethod("EDA_preSaveAs2", "preSaveAs2", "(Ljava/lang/String;Ljava/lang/String;)I", a,
                       b);
}

int EDA_saveAs2(const char* a, const char* b) {
  return callIntMethod("EDA_saveAs2", "saveAs2", "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_preRevise(const char* a, const char* b) {
  return callIntMethod("EDA_preRevise", "preRevise", "(Ljava/lang/String;Ljava/lang/String;)I", a,
                       b);
}

int EDA_revise(const char* a, const char* b) {
  return callIntMethod("EDA_revise", "revise", "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_saveDerivedData(const char* a, const char* b) {
  return callIntMethod("EDA_saveDerivedData", "saveDerivedData",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_preCheckIn(const char* a, const char* b) {
  return callIntMethod("EDA_preCheckIn", "preCheckIn", "(Ljava/lang/String;Ljava/lang/String;)I", a,
                       b);
}

int EDA_checkIn(const char* a, const char* b) {
  return callIntMethod("EDA_checkIn", "checkIn", "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_checkOut(const char* a, const char* b, const char* c) {
  return callIntMethod("EDA_checkOut", "checkOut",
                       "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)I", a, b, c);
}

int EDA_uncheckOut(const char* a, const char* b, const char* c) {
  return callIntMethod("EDA_uncheckOut", "cancelCheckOut",
                       "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)I", a, b, c);
}

int EDA_purgeCache(const char* a) {
  return callIntMethod("EDA_purgeCache", "purgeCache", "(Ljava/lang/String;)I", a);
}

const char* EDA_getStagingDir() {
  return callStagingDirMethod("EDA_getStagingDir", "()Ljava/lang/String;");
}

const char* EDA_getStagingDir(const char* a) {
  return callStagingDirMethod("EDA_getStagingDir", "(Ljava/lang/String;)Ljava/lang/String;", a);
}

int EDA_refresh(const char* a, const char* b, const char* c) {
  return callIntMethod("EDA_refresh", "refresh",
                       "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)I", a, b, c);
}

int EDA_itemInfo(const char* a, const char* b, const char* c) {
  return callIntMethod("EDA_itemInfo", "getItemInfo",
                       "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)I", a, b, c);
}

int EDA_showItemInfo(const char* a, const char* b, const char* c) {
  return callIntMethod("EDA_showItemInfo", "showItemInfo",
                       "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)I", a, b, c);
}

int EDA_getPreferenceValues(const char* a, const char* b) {
  return callIntMethod("EDA_getPreferenceValues", "getPreferenceValues",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_setPreferenceValuesUI(const char* a) {
  return callIntMethod("EDA_setPreferenceValuesUI", "setPreferenceValuesUI",
                       "(Ljava/lang/String;)I", a);
}

int EDA_setPreferenceValues(const char* a, const char* b) {
  return callIntMethod("EDA_setPreferenceValues", "setPreferenceValues",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_logout(const char* a) {
  return callIntMethod("EDA_logout", "logout", "(Ljava/lang/String;)I", a);
}

int EDA_loadLibrary(const char* a, const char* b) {
  return callIntMethod("EDA_loadLibrary", "loadLibrary", "(Ljava/lang/String;Ljava/lang/String;)I",
                       a, b);
}

int EDA_saveLibrary(const char* a, const char* b, const char* c) {
  return callIntMethod("EDA_saveLibrary", "saveLibrary",
                       "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)I", a, b, c);
}

int EDA_syncLibrary(int mode, const char* a, const char* b, const char* c) {
  return callIntMethod("EDA_syncLibrary", "syncLibrary",
                       "(ILjava/lang/String;Ljava/lang/String;Ljava/lang/String;)I", mode, a, b, c);
}

int EDA_checkoutLibrary(const char* a, const char* b, const char* c) {
  return callIntMethod("EDA_checkoutLibrary", "checkoutLibrary",
                       "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)I", a, b, c);
}

int EDA_checkinLibrary(const char* a, const char* b, const char* c) {
  return callIntMethod("EDA_checkinLibrary", "checkinLibrary",
                       "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)I", a, b, c);
}

int EDA_cancelCheckoutLibrary(const char* a, const char* b, const char* c) {
  return callIntMethod("EDA_cancelCheckoutLibrary", "cancelCheckoutLibrary",
                       "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)I", a, b, c);
}

int EDA_reviseLibrary(const char* a, const char* b) {
  return callIntMethod("EDA_reviseLibrary", "reviseLibrary",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_setWorkingLibrary(const char* a, const char* b) {
  return callIntMethod("EDA_setWorkingLibrary", "setWorkingLibrary",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_configureLibrary(const char* a) {
  return callIntMethod("EDA_configureLibrary", "configureLibrary", "(Ljava/lang/String;)I", a);
}

int EDA_exportLibrary(const char* a, const char* b) {
  return callIntMethod("EDA_exportLibrary", "exportLibrary",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_exportLibrary(int mode, const char* a, const char* b) {
  return callIntMethod("EDA_exportLibrary", "exportLibrary",
                       "(ILjava/lang/String;Ljava/lang/String;)I", mode, a, b);
}

int EDA_reconcilePartsSelect(const char* a, const char* b) {
  return callIntMethod("EDA_reconcilePartsSelect", "reconcilePartsSelect",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_reconcileParts(const char* a, const char* b) {
  return callIntMethod("EDA_reconcileParts", "reconcileParts",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_downloadBOM(const char* a, const char* b, const char* c) {
  return callIntMethod("EDA_downloadBOM", "downloadBOM",
                       "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)I", a, b, c);
}

int EDA_copyDesignFolder(const char* a, const char* b, const char* c, const char* d) {
  return callIntMethod(
      "EDA_copyDesignFolder", "copyDesignFolder",
      "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)I", a, b, c, d);
}

int EDA_initiatePartWorkflowFromDesign(const char* a, const char* b) {
  return callIntMethod("EDA_initiatePartWorkflowFromDesign", "initiatePartWorkflowFromDesign",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_initiateDesignWorkflow(const char* a, const char* b) {
  return callIntMethod("EDA_initiateDesignWorkflow", "initiateDesignWorkflow",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_showWorkflowStatus(const char* a, const char* b) {
  return callIntMethod("EDA_showWorkflowStatus", "showWorkflowStatus",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_getMyWorklist(const char* a) {
  return callIntMethod("EDA_getMyWorklist", "getMyWorklist", "(Ljava/lang/String;)I", a);
}

int EDA_initiateIssueManager(const char* a, const char* b) {
  return callIntMethod("EDA_initiateIssueManager", "initiateIssueManager",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_initiateCollaborationIssue(const char* a, const char* b) {
  return callIntMethod("EDA_initiateCollaborationIssue", "initiateCollaborationIssue",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_publishCollaborationFile(const char* a, const char* b) {
  return callIntMethod("EDA_publishCollaborationFile", "publishCollaborationFile",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}

int EDA_downloadCollaborationFile(const char* a, const char* b) {
  return callIntMethod("EDA_downloadCollaborationFile", "downloadCollaborationFile",
                       "(Ljava/lang/String;Ljava/lang/String;)I", a, b);
}
