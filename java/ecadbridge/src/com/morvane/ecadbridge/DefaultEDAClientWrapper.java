package com.morvane.ecadbridge;

import java.io.FileInputStream;
import java.io.IOException;
import java.io.InputStream;
import java.util.LinkedHashMap;
import java.util.Map;
import java.util.Properties;
import java.util.UUID;

/**
 * The reference client that libecadbridge calls: one method per EDA_* function, with the names
 * and descriptors the library looks up. It does no data-management work; it records each call
 * and reports an outcome the way a full client does, so that ECAD integrations and the library
 * can be exercised end to end.
 *
 * <p>System properties:
 * <ul>
 *   <li>{@code ecadbridge.statusDir}: directory that receives the status document of each call
 *       ({@code <element>.xml}, for example {@code EDASaveStatus.xml}); none is written when
 *       unset.
 *   <li>{@code ecadbridge.callLog}: file that receives one line per call (see
 *       {@link CallJournal}), including the construction as {@code <init>}.
 *   <li>{@code ecadbridge.failConstructor}: {@code true} makes the constructor throw.
 * </ul>
 *
 * <p>Arguments with a special meaning (after the call is recorded):
 * <ul>
 *   <li>{@code throw}: the method throws an {@link IllegalStateException}.
 *   <li>{@code fail}: the status is FAILED and the result 0.
 *   <li>{@code return:N}: the result is N.
 *   <li>{@code null} as the argument of {@code getStagingDir}: the method returns null.
 * </ul>
 * Otherwise the status is SUCCESS and the result 1. {@code getStagingDir} answers with the
 * {@code stagingDir} entry of {@code $MVEDAECAD_ROOT/MVEDAClient.properties} (null when the file
 * or the entry is missing), followed by "/" and the argument in the one-argument form.
 */
public class DefaultEDAClientWrapper {
  static final String SUCCESS = "SUCCESS";
  static final String FAILED = "FAILED";

  private final CallJournal journal;
  private final StatusDocumentWriter statusWriter;
  private String applicationName;

  public DefaultEDAClientWrapper() throws IOException {
    String journalPath = System.getProperty("ecadbridge.callLog");
    journal = journalPath == null || journalPath.isEmpty() ? null : new CallJournal(journalPath);
    String statusDir = System.getProperty("ecadbridge.statusDir");
    statusWriter =
        statusDir == null || statusDir.isEmpty() ? null : new StatusDocumentWriter(statusDir);
    record("<init>");
    if (Boolean.getBoolean("ecadbridge.failConstructor")) {
      throw new IllegalStateException("client construction refused (ecadbridge.failConstructor)");
    }
  }

  public String getApplicationName() {
    return applicationName;
  }

  public void setApplication(String name) {
    record("setApplication", name);
    throwIfAsked(name);
    applicationName = name;
  }

  public int openDataSet(String a, String b) {
    return operation("openDataSet", "EDAOpenDataSetStatus", false, a, b);
  }

  public int preSave(String a, String b) {
    return operation("preSave", "EDAPreSaveStatus", false, a, b);
  }

  public int save(String a, String b) {
    return operation("save", "EDASaveStatus", true, a, b);
  }

  public int preSaveAs(String a, String b) {
    return operation("preSaveAs", "EDAPreSaveAsStatus", false, a, b);
  }

  public int saveAs(String a, String b) {
    return operation("saveAs", "EDASaveAsStatus", true, a, b);
  }

  public int preSaveAs2(String a, String b) {
    return operation("preSaveAs2", "EDAPreSaveAsStatus", false, a, b);
  }

  public int saveAs2(String a, String b) {
    return operation("saveAs2", "EDASaveAsStatus", true, a, b);
  }

  public int preRevise(String a, String b) {
    return operation("preRevise", "EDAStatus", false, a, b);
  }

  public int revise(String a, String b) {
    return operation("revise", "EDAStatus", false, a, b);
  }

  public int saveDerivedData(String a, String b) {
    return operation("saveDerivedData", "EDASaveDerivedDataStatus", true, a, b);
  }

  public int preCheckIn(String a, String b) {
    return operation("preCheckIn", "EDAPreCheckInStatus", false, a, b);
  }

  public int checkIn(String a, String b) {
    return operation("checkIn", "EDACheckInStatus", true, a, b);
  }

  public int checkOut(String a, String b, String c) {
    return operation("checkOut", "EDACheckOutStatus", false, a, b, c);
  }

  public int cancelCheckOut(String a, String b, String c) {
    return operation("cancelCheckOut", "EDACancelCheckoutStatus", false, a, b, c);
  }

  public int purgeCache(String a) {
    return operation("purgeCache", "EDAPurgeCacheStatus", false, a);
  }

  public String getStagingDir() {
    record("getStagingDir");
    return stagingDir(null);
  }

  public String getStagingDir(String name) {
    record("getStagingDir", name);
    throwIfAsked(name);
    return "null".equals(name) ? null : stagingDir(name);
  }

  public int refresh(String a, String b, String c) {
    return operation("refresh", "EDARefreshStatus", false, a, b, c);
  }

  public int getItemInfo(String a, String b, String c) {
    return operation("getItemInfo", "EDAGetItemInfoStatus", false, a, b, c);
  }

  public int showItemInfo(String a, String b, String c) {
    return operation("showItemInfo", "EDAStatus", false, a, b, c);
  }

  public int getPreferenceValues(String a, String b) {
    return operation("getPreferenceValues", "EDAGetPreferenceValuesStatus", false, a, b);
  }

  public int setPreferenceValuesUI(String a) {
    return operation("setPreferenceValuesUI", "EDAStatus", false, a);
  }

  public int setPreferenceValues(String a, String b) {
    return operation("setPreferenceValues", "EDASetPreferenceValuesStatus", false, a, b);
  }

  public int logout(String a) {
    return operation("logout", "EDALogoutStatus", false, a);
  }

  public int loadLibrary(String a, String b) {
    return operation("loadLibrary", "EDAStatus", false, a, b);
  }

  public int saveLibrary(String a, String b, String c) {
    return operation("saveLibrary", "EDAStatus", false, a, b, c);
  }

  public int syncLibrary(int mode, String a, String b, String c) {
    return operation("syncLibrary", "EDAStatus", false, mode, a, b, c);
  }

  public int checkoutLibrary(String a, String b, String c) {
    return operation("checkoutLibrary", "EDAStatus", false, a, b, c);
  }

  public int checkinLibrary(String a, String b, String c) {
    return operation("checkinLibrary", "EDAStatus", false, a, b, c);
  }

  public int cancelCheckoutLibrary(String a, String b, String c) {
    return operation("cancelCheckoutLibrary", "EDAStatus", false, a, b, c);
  }

  public int reviseLibrary(String a, String b) {
    return operation("reviseLibrary", "EDAStatus", false, a, b);
  }

  public int setWorkingLibrary(String a, String b) {
    return operation("setWorkingLibrary", "EDAStatus", false, a, b);
  }

  public int configureLibrary(String a) {
    return operation("configureLibrary", "EDAStatus", false, a);
  }

  public int exportLibrary(String a, String b) {
    return operation("exportLibrary", "EDAStatus", false, a, b);
  }

  public int exportLibrary(int mode, String a, String b) {
    return operation("exportLibrary", "EDAStatus", false, mode, a, b);
  }

  public int reconcilePartsSelect(String a, String b) {
    return operation("reconcilePartsSelect", "EDAReconcilePartsSelectStatus", false, a, b);
  }

  public int reconcileParts(String a, String b) {
    return operation("reconcileParts", "EDAReconcilePartsStatus", false, a, b);
  }

  public int downloadBOM(String a, String b, String c) {
    return operation("downloadBOM", "EDAStatus", false, a, b, c);
  }

  public int copyDesignFolder(String a, String b, String c, String d) {
    return operation("copyDesignFolder", "EDAStatus", false, a, b, c, d);
  }

  public int initiatePartWorkflowFromDesign(String a, String b) {
    return operation("initiatePartWorkflowFromDesign", "EDAStatus", false, a, b);
  }

  public int initiateDesignWorkflow(String a, String b) {
    return operation("initiateDesignWorkflow", "EDAStatus", false, a, b);
  }

  public int showWorkflowStatus(String a, String b) {
    return operation("showWorkflowStatus", "EDAStatus", false, a, b);
  }

  public int getMyWorklist(String a) {
    return operation("getMyWorklist", "EDAStatus", false, a);
  }

  public int initiateIssueManager(String a, String b) {
    return operation("initiateIssueManager", "EDAStatus", false, a, b);
  }

  public int initiateCollaborationIssue(String a, String b) {
    return operation("initiateCollaborationIssue", "EDAStatus", false, a, b);
  }

  public int publishCollaborationFile(String a, String b) {
    return operation("publishCollaborationFile", "EDAStatus", false, a, b);
  }

  public int downloadCollaborationFile(String a, String b) {
    return operation("downloadCollaborationFile", "EDAStatus", false, a, b);
  }

  /** Records the call, works out its result from the arguments and reports the outcome. */
  private int operation(String method, String element, boolean withUid, Object... arguments) {
    record(method, arguments);
    int result = 1;
    String status = SUCCESS;
    String subject = arguments.length > 0 ? String.valueOf(arguments[0]) : "";
    String message = method + " done for " + subject;
    for (Object argument : arguments) {
      throwIfAsked(argument);
      if ("fail".equals(argument)) {
        result = 0;
        status = FAILED;
        message = method + " failed as requested for " + subject;
      } else if (argument instanceof String && ((String) argument).startsWith("return:")) {
        result = Integer.parseInt(((String) argument).substring("return:".length()));
      }
    }
    if (statusWriter != null) {
      Map<String, String> attributes = new LinkedHashMap<>();
      attributes.put("status", status);
      attributes.put("message", message);
      if (withUid && SUCCESS.equals(status)) attributes.put("UID", UUID.randomUUID().toString());
      statusWriter.write(element, attributes);
    }
    return result;
  }

  private String stagingDir(String name) {
    String dir = null;
    String root = System.getenv("MVEDAECAD_ROOT");
    if (root != null) {
      Properties properties = new Properties();
      try (InputStream in = new FileInputStream(root + "/MVEDAClient.properties")) {
        properties.load(in);
        dir = properties.getProperty("stagingDir");
      } catch (IOException e) {
        dir = null;
      }
    }
    if (dir != null && name != null) dir = dir + "/" + name;
    if (statusWriter != null) {
      Map<String, String> attributes = new LinkedHashMap<>();
      attributes.put("status", dir != null ? SUCCESS : FAILED);
      attributes.put("message", dir != null ? "staging directory found"
                                            : "MVEDAClient.properties has no stagingDir");
      attributes.put("stagingDir", dir);
      statusWriter.write("EDAGetStagingDirStatus", attributes);
    }
    return dir;
  }

  private void record(String method, Object... arguments) {
    if (journal != null) journal.record(method, arguments);
  }

  private static void throwIfAsked(Object argument) {
    if ("throw".equals(argument)) {
      throw new IllegalStateException("the caller asked this call to throw");
    }
  }
}
