package com.morvane.eda.odbccon_jni;

/** The Java face of libmetalink: each method runs one complete connector operation. */
public final class ODBCConWrapper {
  private ODBCConWrapper() {}

  public static native int jni_checkDataSource(String dataSource, String user, String password);

  public static native int jni_exportMetadataDB(String libraryFile, String dataSource, String user,
      String password, String syncMapFile, int option, String referenceLibraryFile);

  public static native int jni_importMetadataDB(String dataSource, String user, String password,
      String syncMapFile, String libraryFile, String logFile);

  public static native String[] jni_getDataSources();

  public static native String[] jni_getTables(String dataSource, String user, String password);

  public static native String[] jni_getColumns(String dataSource, String user, String password,
      String table);
}
