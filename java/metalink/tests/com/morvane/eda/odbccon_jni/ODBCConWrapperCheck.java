package com.morvane.eda.odbccon_jni;

import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.Arrays;
import java.util.List;

/**
 * Calls every native of ODBCConWrapper against the SQLite data source "MetalinkJni".
 * Arguments: the path of libmetalink.so, the examples folder, a scratch folder (TEMP).
 */
public final class ODBCConWrapperCheck {
  private static final String DSN = "MetalinkJni";
  private static int failures = 0;

  private static void check(boolean condition, String what) {
    if (!condition) {
      failures++;
      System.out.println("FAILED: " + what);
    } else {
      System.out.println("ok: " + what);
    }
  }

  private static String log(Path dir) throws Exception {
    Path log = dir.resolve("ODBCCon.log");
    return Files.exists(log) ? new String(Files.readAllBytes(log), StandardCharsets.UTF_8) : "";
  }

  public static void main(String[] args) throws Exception {
    System.load(args[0]);
    Path examples = Paths.get(args[1]);
    Path dir = Paths.get(args[2]);
    String syncMap = examples.resolve("EDASyncMap.xml").toString();
    String library = examples.resolve("EDALib.xml").toString();

    check(ODBCConWrapper.jni_checkDataSource(DSN, "", "") == 1, "check opens the data source");
    check(ODBCConWrapper.jni_checkDataSource("NoSuchSource", "", "") == 0,
        "check of an unknown data source fails");
    check(ODBCConWrapper.jni_checkDataSource(DSN, "", null) == 0, "a null password is rejected");

    check(ODBCConWrapper.jni_importMetadataDB(DSN, "", "", syncMap, library, null) == 1,
        "import with a null log file");
    List<String> tables = Arrays.asList(ODBCConWrapper.jni_getTables(DSN, "", ""));
    check(tables.contains("Resistors") && tables.contains("Relations"),
        "tables after the import: " + tables);
    List<String> columns =
        Arrays.asList(ODBCConWrapper.jni_getColumns(DSN, "", "", "Resistors"));
    check(columns.contains("PartNumber") && columns.contains("Resistance"),
        "columns of Resistors: " + columns);
    check(ODBCConWrapper.jni_getColumns(DSN, "", "", "NoSuchTable").length == 0,
        "no columns for a table that does not exist");
    check(ODBCConWrapper.jni_getTables("NoSuchSource", "", "").length == 0,
        "no tables for an unknown data source");
    check(ODBCConWrapper.jni_getTables(DSN, null, "").length == 0, "a null user gives no tables");
    // The script lists more data sources than a native's local reference capacity holds, so
    // that -Xcheck:jni notices a list native that keeps one reference per name.
    List<String> sources = Arrays.asList(ODBCConWrapper.jni_getDataSources());
    check(sources.contains(DSN), "the data source is listed");
    check(sources.contains("MetalinkJniExtra99"), "every data source is listed: " + sources.size());

    // Names outside ASCII cross both ways: a path into Java's UTF-8, a table name back out.
    Path exported = dir.resolve("Bibliothèque €").resolve("EDALib.xml");
    Files.createDirectories(exported.getParent());
    check(ODBCConWrapper.jni_exportMetadataDB(exported.toString(), DSN, "", "", syncMap, 3, "")
        == 1, "export with option 3");
    String text = Files.exists(exported)
        ? new String(Files.readAllBytes(exported), StandardCharsets.UTF_8) : "";
    check(text.contains("R-10K-0603") && text.contains("µF"),
        "the exported library holds the parts and the µF unit");
    check(ODBCConWrapper.jni_exportMetadataDB(exported.toString(), DSN, "", "", syncMap, 0, "")
        == 0, "export with option 0 fails");
    check(log(dir).contains("The transfer option is not correct"), "the option error is logged");
    check(ODBCConWrapper.jni_exportMetadataDB(null, DSN, "", "", syncMap, 3, "") == 0,
        "a null library file is rejected");
    // A lone surrogate has no exact file name: the export is refused, nothing written elsewhere.
    String lonely = dir.toString() + "/Lib\uD800.xml";
    check(ODBCConWrapper.jni_exportMetadataDB(lonely, DSN, "", "", syncMap, 3, "") == 0,
        "a path with an unpaired surrogate is refused");
    try (java.util.stream.Stream<Path> files = Files.list(dir)) {
      check(files.noneMatch(f -> f.getFileName().toString().startsWith("Lib")),
          "nothing is written under a substitute name");
    }

    Path map = dir.resolve("Größen.xml");
    Files.write(map, ("<syncMap><element name=\"Teil\" type=\"Teil\" relation=\"\">"
        + "<property name=\"itemId\" required=\"true\"><table name=\"Bauteile_ä\">"
        + "<column name=\"Größe\"/></table></property></element></syncMap>")
        .getBytes(StandardCharsets.UTF_8));
    Path parts = dir.resolve("Teile.xml");
    Files.write(parts, ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        + "<ecad:edaLib xmlns:ecad=\"http://www.morvane.com/Schemas/ecadlib\">"
        + "<ecad:item elemId=\"id2\" itemId=\"Ω-1\" name=\"Teil\" type=\"Teil\"/></ecad:edaLib>")
        .getBytes(StandardCharsets.UTF_8));
    Path ownLog = dir.resolve("import-ü.log");
    check(ODBCConWrapper.jni_importMetadataDB(DSN, "", "", map.toString(), parts.toString(),
        ownLog.toString()) == 1, "import of a table with a non-ASCII name");
    check(Files.exists(ownLog) && Files.size(ownLog) > 0, "the import wrote to its own log file");
    check(Arrays.asList(ODBCConWrapper.jni_getTables(DSN, "", "")).contains("Bauteile_ä"),
        "a non-ASCII table name comes back");
    check(Arrays.asList(ODBCConWrapper.jni_getColumns(DSN, "", "", "Bauteile_ä"))
        .contains("Größe"), "a non-ASCII column name comes back");

    if (failures > 0) {
      System.out.println(failures + " check(s) failed");
      System.exit(1);
    }
    System.out.println("all checks passed");
  }
}
