package com.morvane.vxncontainer;

import java.io.IOException;
import java.nio.file.FileVisitResult;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.SimpleFileVisitor;
import java.nio.file.attribute.BasicFileAttributes;
import java.util.Arrays;
import java.util.Random;
import java.util.stream.Stream;

/** Assertions and file helpers for the container proxy tests (no test framework is installed). */
final class TestSupport {
  private TestSupport() {}

  static void check(boolean condition, String what) {
    if (!condition) throw new AssertionError(what);
  }

  static void assertEquals(Object expected, Object actual, String what) {
    if (expected == null ? actual != null : !expected.equals(actual)) {
      throw new AssertionError(what + ": expected <" + expected + "> but was <" + actual + ">");
    }
  }

  static void assertSucceeded(Result result, String what) {
    check(result != null, what + ": no result");
    check(result.OK, what + ": failed with \"" + result.errMessage + "\"");
    assertEquals("", result.errMessage, what + ": errMessage");
    assertEquals("", result.ret, what + ": ret");
  }

  static void assertFailed(Result result, String message, String what) {
    check(result != null, what + ": no result");
    check(!result.OK, what + ": succeeded");
    assertEquals(message, result.errMessage, what + ": errMessage");
    assertEquals("", result.ret, what + ": ret");
  }

  static void assertSameBytes(Path expected, Path actual) throws IOException {
    check(Files.exists(actual), actual + " was not written");
    check(
        Arrays.equals(Files.readAllBytes(expected), Files.readAllBytes(actual)),
        actual + " differs from " + expected);
  }

  static Path writeFile(Path path, byte[] bytes) throws IOException {
    Files.write(path, bytes);
    return path;
  }

  static byte[] randomBytes(int size, long seed) {
    byte[] bytes = new byte[size];
    new Random(seed).nextBytes(bytes);
    return bytes;
  }

  static long countFiles(Path directory) throws IOException {
    try (Stream<Path> entries = Files.list(directory)) {
      return entries.count();
    }
  }

  static void deleteTree(Path root) throws IOException {
    if (!Files.exists(root)) return;
    Files.walkFileTree(
        root,
        new SimpleFileVisitor<Path>() {
          @Override
          public FileVisitResult visitFile(Path file, BasicFileAttributes attrs) throws IOException {
            Files.delete(file);
            return FileVisitResult.CONTINUE;
          }

          @Override
          public FileVisitResult postVisitDirectory(Path dir, IOException e) throws IOException {
            Files.delete(dir);
            return FileVisitResult.CONTINUE;
          }
        });
  }

  /**
   * Writes a container the way another program could: the marker entry and one part per name,
   * each holding `data`. Names are stored as they are, so names our natives refuse can be tried.
   */
  static void writeContainer(Path path, String[] names, byte[] data) throws IOException {
    try (java.util.zip.ZipOutputStream zip =
        new java.util.zip.ZipOutputStream(Files.newOutputStream(path))) {
      zip.putNextEntry(new java.util.zip.ZipEntry("vxn-container"));
      zip.write("ZRM 1\n".getBytes(java.nio.charset.StandardCharsets.UTF_8));
      for (String name : names) {
        zip.putNextEntry(new java.util.zip.ZipEntry("parts/" + name));
        zip.write(data);
      }
    }
  }

  /** Flips bits in the first data byte of the ZIP entry `entryName`, found by its local header. */
  static void damageEntryData(Path zip, String entryName) throws IOException {
    byte[] bytes = Files.readAllBytes(zip);
    byte[] name = entryName.getBytes(java.nio.charset.StandardCharsets.UTF_8);
    for (int i = 0; i + 30 + name.length < bytes.length; i++) {
      if (bytes[i] != 'P' || bytes[i + 1] != 'K' || bytes[i + 2] != 3 || bytes[i + 3] != 4) continue;
      int nameLength = (bytes[i + 26] & 0xff) | (bytes[i + 27] & 0xff) << 8;
      int extraLength = (bytes[i + 28] & 0xff) | (bytes[i + 29] & 0xff) << 8;
      if (nameLength != name.length
          || !Arrays.equals(bytes, i + 30, i + 30 + nameLength, name, 0, name.length)) {
        continue;
      }
      bytes[i + 30 + nameLength + extraLength] ^= 0x20;
      Files.write(zip, bytes);
      return;
    }
    throw new AssertionError("entry " + entryName + " not found");
  }

  /**
   * Sets the compression method of the ZIP entry `entryName` in both its local and central
   * headers, so that the archive stays consistent but the entry's data cannot be decoded.
   */
  static void setCompressionMethod(Path zip, String entryName, int method) throws IOException {
    byte[] bytes = Files.readAllBytes(zip);
    byte[] name = entryName.getBytes(java.nio.charset.StandardCharsets.UTF_8);
    int patched = 0;
    for (int i = 0; i + 46 < bytes.length; i++) {
      if (bytes[i] != 'P' || bytes[i + 1] != 'K') continue;
      int nameOffset;
      int methodOffset;
      if (bytes[i + 2] == 1 && bytes[i + 3] == 2) { // central directory header
        nameOffset = 46;
        methodOffset = 10;
      } else if (bytes[i + 2] == 3 && bytes[i + 3] == 4) { // local file header
        nameOffset = 30;
        methodOffset = 8;
      } else {
        continue;
      }
      int lengthOffset = nameOffset == 30 ? 26 : 28;
      int nameLength = (bytes[i + lengthOffset] & 0xff) | (bytes[i + lengthOffset + 1] & 0xff) << 8;
      if (nameLength != name.length || i + nameOffset + nameLength > bytes.length) continue;
      if (!Arrays.equals(bytes, i + nameOffset, i + nameOffset + nameLength, name, 0, name.length)) {
        continue;
      }
      bytes[i + methodOffset] = (byte) method;
      bytes[i + methodOffset + 1] = (byte) (method >> 8);
      patched++;
    }
    check(patched == 2, "entry " + entryName + " found in " + patched + " headers, not 2");
    Files.write(zip, bytes);
  }
}
