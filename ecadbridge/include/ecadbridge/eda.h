// The ECAD tool's interface to the product-data-management client.
//
// Every EDA_* function forwards its arguments to one method of the Java client
// com.morvane.ecadbridge.DefaultEDAClientWrapper, which runs in a Java VM inside the calling
// process. The first call of the process starts that VM (the Java runtime is found through
// JAVA_HOME, else the JDK the library was built with) and creates the one client object; both
// live until the process ends.
//
// Texts are NUL-terminated UTF-8; a null text reaches Java as a null String. The int results
// are the Java method's own; 0 (null for EDA_getStagingDir) also stands for "could not call it",
// in which case a message was shown through the message handler below.
//
// Threads: all calls must come from the thread that made the first call.
//
// The functions have C++ linkage on purpose: EDA_getStagingDir and EDA_exportLibrary exist in
// two forms each.
#ifndef ECADBRIDGE_EDA_H_
#define ECADBRIDGE_EDA_H_

#ifndef ECADBRIDGE_EXPORT
#if defined(_WIN32)
#define ECADBRIDGE_EXPORT __declspec(dllexport)
#else
#define ECADBRIDGE_EXPORT __attribute__((visibility("default")))
#endif
#endif

// The wide character of the C interfaces: UTF-16 everywhere.
#if defined(_WIN32)
typedef wchar_t eda_wchar_t;
#else
typedef char16_t eda_wchar_t;
#endif

// Receives every message the library shows (on Windows a message box captioned "log").
// `text` is valid only during the call. Called on the thread that made the failing call.
typedef void (*ecadbridge_message_handler)(const char* caption, const char* text, void* context);

extern "C" {
// Installs the handler for all later messages; null restores the default, which writes one line
// "log: <text>" to the standard error stream. `context` is handed back unchanged.
ECADBRIDGE_EXPORT void ecadbridge_setMessageHandler(ecadbridge_message_handler handler,
                                                    void* context);
}

// Returns 1 when the Java method threw, 0 otherwise (the method itself returns nothing).
ECADBRIDGE_EXPORT int EDA_setApplicationName(const char* name);

ECADBRIDGE_EXPORT int EDA_openDataSet(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_preSave(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_save(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_preSaveAs(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_saveAs(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_preSaveAs2(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_saveAs2(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_preRevise(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_revise(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_saveDerivedData(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_preCheckIn(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_checkIn(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_checkOut(const char* a, const char* b, const char* c);
ECADBRIDGE_EXPORT int EDA_uncheckOut(const char* a, const char* b, const char* c);
ECADBRIDGE_EXPORT int EDA_purgeCache(const char* a);

// The staging directory as UTF-8, or null. The text belongs to the library and stays valid until
// the process ends; the caller must not free it.
ECADBRIDGE_EXPORT const char* EDA_getStagingDir();
ECADBRIDGE_EXPORT const char* EDA_getStagingDir(const char* a);

ECADBRIDGE_EXPORT int EDA_refresh(const char* a, const char* b, const char* c);
ECADBRIDGE_EXPORT int EDA_itemInfo(const char* a, const char* b, const char* c);
ECADBRIDGE_EXPORT int EDA_showItemInfo(const char* a, const char* b, const char* c);
ECADBRIDGE_EXPORT int EDA_getPreferenceValues(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_setPreferenceValuesUI(const char* a);
ECADBRIDGE_EXPORT int EDA_setPreferenceValues(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_logout(const char* a);
ECADBRIDGE_EXPORT int EDA_loadLibrary(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_saveLibrary(const char* a, const char* b, const char* c);
ECADBRIDGE_EXPORT int EDA_syncLibrary(int mode, const char* a, const char* b, const char* c);
ECADBRIDGE_EXPORT int EDA_checkoutLibrary(const char* a, const char* b, const char* c);
ECADBRIDGE_EXPORT int EDA_checkinLibrary(const char* a, const char* b, const char* c);
ECADBRIDGE_EXPORT int EDA_cancelCheckoutLibrary(const char* a, const char* b, const char* c);
ECADBRIDGE_EXPORT int EDA_reviseLibrary(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_setWorkingLibrary(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_configureLibrary(const char* a);
ECADBRIDGE_EXPORT int EDA_exportLibrary(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_exportLibrary(int mode, const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_reconcilePartsSelect(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_reconcileParts(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_downloadBOM(const char* a, const char* b, const char* c);
ECADBRIDGE_EXPORT int EDA_copyDesignFolder(const char* a, const char* b, const char* c,
                                           const char* d);
ECADBRIDGE_EXPORT int EDA_initiatePartWorkflowFromDesign(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_initiateDesignWorkflow(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_showWorkflowStatus(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_getMyWorklist(const char* a);
ECADBRIDGE_EXPORT int EDA_initiateIssueManager(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_initiateCollaborationIssue(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_publishCollaborationFile(const char* a, const char* b);
ECADBRIDGE_EXPORT int EDA_downloadCollaborationFile(const char* a, const char* b);

#endif  // ECADBRIDGE_EDA_H_
