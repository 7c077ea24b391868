package com.morvane.vxncontainer;

import static com.morvane.vxncontainer.TestSupport.assertEquals;
import static com.morvane.vxncontainer.TestSupport.assertFailed;
import static com.morvane.vxncontainer.TestSupport.assertSameBytes;
import static com.morvane.vxncontainer.TestSupport.assertSucceeded;
import static com.morvane.vxncontainer.TestSupport.check;
import static com.morvane.vxncontainer.TestSupport.countFiles;
import static com.morvane.vxncontainer.TestSupport.randomBytes;
import static com.morvane.vxncontainer.TestSupport.writeFile;

import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.LinkedHashMap;
import java.util.Map;
import java.util.TreeMap;

/**
 * Runs the natives of the real libVXNContainerProxy in this VM. Each case gets its own temporary
 * directory. Usage: VXNContainerProxyTest [case...] (no case runs them all).
 */
public final class VXNContainerProxyTest {
  private interface Case {
    void run(Path dir) throws Exception;
  }

  private static final VXNContainerProxy proxy = new VXNContainerProxy();
  private static final Map<String, Case> cases = new LinkedHashMap<>();

  static {
    cases.put("AddAndExtractAll", VXNContainerProxyTest::addAndExtractAll);
    cases.put("ExtractOnePart", VXNContainerProxyTest::extractOnePart);
    cases.put("PropertiesUnderTwoKeys", VXNContainerProxyTest::propertiesUnderTwoKeys);
    cases.put("EmptyContainer", VXNContainerProxyTest::emptyContainer);
    cases.put("SetPropertiesCountZero", VXNContainerProxyTest::setPropertiesCountZero);
    cases.put("MissingSourceFile", VXNContainerProxyTest::missingSourceFile);
    cases.put("MissingContainer", VXNContainerProxyTest::missingContainer);
    cases.put("PathEscape", VXNContainerProxyTest::pathEscape);
    cases.put("PlantedLinks", VXNContainerProxyTest::plantedLinks);
    cases.put("PartWithoutStream", VXNContainerProxyTest::partWithoutStream);
    cases.put("NullArguments", VXNContainerProxyTest::nullArguments);
    cases.put("CountBeyondArray", VXNContainerProxyTest::countBeyondArray);
    cases.put("DuplicatePart", VXNContainerProxyTest::duplicatePart);
    cases.put("DamagedProperties", VXNContainerProxyTest::damagedProperties);
    cases.put("ManyPartsAndProperties", VXNContainerProxyTest::manyPartsAndProperties);
  }

  public static void main(String[] args) throws Exception {
    String[] names = args.length > 0 ? args : cases.keySet().toArray(new String[0]);
    for (String name : names) {
      Case test = cases.get(name);
      if (test == null) throw new IllegalArgumentException("no test case " + name);
      Path dir = Files.createTempDirectory("vxn-proxy-test");
      try {
        test.run(dir);
      } finally {
        TestSupport.deleteTree(dir);
      }
      System.out.println("PASS " + name);
    }
  }

  private static Result addOne(Path container, Path file, String name, String type) {
    return proxy.AddParts(
        container.toString(), 1, new PartProperty[] {new PartProperty(file.toString(), name, type)});
  }

  private static Map<String, String> properties(Path container, String key) {
    Object[] found = proxy.GetProperties(container.toString(), key);
    check(found != null, "GetProperties(" + key + ") gave null");
    Map<String, String> byName = new TreeMap<>();
    for (Object o : found) {
      ContainerProperty p = (ContainerProperty) o;
      byName.put(p.name, p.value);
    }
    assertEquals(found.length, byName.size(), "distinct property names");
    return byName;
  }

  // Three files as parts, one of them empty and one of several megabytes, which the natives copy
  // through their 1,024-byte buffer; a name outside the BMP checks the text conversions.
  private static void addAndExtractAll(Path dir) throws Exception {
    Path small = writeFile(dir.resolve("small.txt"), "hello container\n".getBytes(StandardCharsets.UTF_8));
    Path empty = writeFile(dir.resolve("empty.bin"), new byte[0]);
    Path large = writeFile(dir.resolve("large.bin"), randomBytes(5 * 1024 * 1024 + 333, 7));
    Path container = dir.resolve("parts.zrm");
    PartProperty[] parts = {
      new PartProperty(small.toString(), "small.txt", "text"),
      new PartProperty(empty.toString(), "empty.bin", "binary"),
      new PartProperty(large.toString(), "Grüße-\uD83D\uDCE6.bin", "binary"),
    };
    assertSucceeded(proxy.AddParts(container.toString(), parts.length, parts), "AddParts");

    Path out = Files.createDirectory(dir.resolve("out"));
    assertSucceeded(proxy.ExtractAllParts(container.toString(), out.toString()), "ExtractAllParts");
    assertEquals(3L, countFiles(out), "files extracted");
    assertSameBytes(small, out.resolve("small.txt"));
    assertSameBytes(empty, out.resolve("empty.bin"));
    assertSameBytes(large, out.resolve("Grüße-\uD83D\uDCE6.bin"));
  }

  private static void extractOnePart(Path dir) throws Exception {
    Path large = writeFile(dir.resolve("large.bin"), randomBytes(3 * 1024 * 1024 + 1, 11));
    Path other = writeFile(dir.resolve("other.txt"), "other".getBytes(StandardCharsets.UTF_8));
    Path container = dir.resolve("one.zrm");
    PartProperty[] parts = {
      new PartProperty(other.toString(), "other.txt", "text"),
      new PartProperty(large.toString(), "large.bin", "binary"),
    };
    assertSucceeded(proxy.AddParts(container.toString(), 2, parts), "AddParts");

    Path out = Files.createDirectory(dir.resolve("out"));
    assertSucceeded(proxy.ExtractPart(container.toString(), out.toString(), "large.bin"), "ExtractPart");
    assertEquals(1L, countFiles(out), "files extracted");
    assertSameBytes(large, out.resolve("large.bin"));

    // A second AddParts appends to the existing container.
    Path late = writeFile(dir.resolve("late.txt"), "late".getBytes(StandardCharsets.UTF_8));
    assertSucceeded(addOne(container, late, "late.txt", "text"), "AddParts to an existing container");
    assertSucceeded(proxy.ExtractPart(container.toString(), out.toString(), "late.txt"), "ExtractPart late");
    assertSameBytes(late, out.resolve("late.txt"));
    assertSucceeded(proxy.ExtractPart(container.toString(), out.toString(), "other.txt"), "ExtractPart other");
    assertSameBytes(other, out.resolve("other.txt"));

    String missing = "Part nope.txt not found in container " + container;
    assertFailed(proxy.ExtractPart(container.toString(), out.toString(), "nope.txt"), missing, "missing part");
  }

  private static void propertiesUnderTwoKeys(Path dir) throws Exception {
    Path container = dir.resolve("props.zrm");
    assertSucceeded(proxy.AddParts(container.toString(), 0, new PartProperty[0]), "create");
    ContainerProperty[] design = {
      new ContainerProperty("author", "Ann"),
      new ContainerProperty("revision", "B.2"),
      new ContainerProperty("note", "line one\nline two; ünïcødé \uD83D\uDE00"),
    };
    ContainerProperty[] release = {new ContainerProperty("author", "Bob")};
    assertSucceeded(proxy.SetProperties(container.toString(), "design", 3, design), "SetProperties design");
    assertSucceeded(proxy.SetProperties(container.toString(), "release", 1, release), "SetProperties release");
    // A later call replaces one value and keeps the others.
    ContainerProperty[] revise = {new ContainerProperty("revision", "C")};
    assertSucceeded(proxy.SetProperties(container.toString(), "design", 1, revise), "SetProperties revise");

    Map<String, String> expected = new TreeMap<>();
    expected.put("author", "Ann");
    expected.put("revision", "C");
    expected.put("note", "line one\nline two; ünïcødé \uD83D\uDE00");
    assertEquals(expected, properties(container, "design"), "design properties");
    assertEquals(Map.of("author", "Bob"), properties(container, "release"), "release properties");

    Object[] none = proxy.GetProperties(container.toString(), "unused");
    check(none != null, "GetProperties on a key without properties gave null");
    assertEquals(0, none.length, "properties of an unused key");
    assertEquals(Object[].class, none.getClass(), "array class");
  }

  // AddParts with count 0 creates a container without parts; extracting it writes nothing.
  private static void emptyContainer(Path dir) throws Exception {
    Path container = dir.resolve("empty.zrm");
    assertSucceeded(proxy.AddParts(container.toString(), 0, new PartProperty[0]), "AddParts count 0");
    check(Files.exists(container), "container not created");
    Path out = Files.createDirectory(dir.resolve("out"));
    assertSucceeded(proxy.ExtractAllParts(container.toString(), out.toString()), "ExtractAllParts");
    assertEquals(0L, countFiles(out), "files extracted");
    assertEquals(0, proxy.GetProperties(container.toString(), "any").length, "properties");
  }

  private static void setPropertiesCountZero(Path dir) throws Exception {
    Path file = writeFile(dir.resolve("a.txt"), "a".getBytes(StandardCharsets.UTF_8));
    Path container = dir.resolve("c.zrm");
    assertSucceeded(addOne(container, file, "a.txt", "text"), "AddParts");
    byte[] before = Files.readAllBytes(container);
    ContainerProperty[] ignored = {new ContainerProperty("x", "y")};
    assertSucceeded(proxy.SetProperties(container.toString(), "k", 0, ignored), "SetProperties count 0");
    check(Arrays.equals(before, Files.readAllBytes(container)), "container changed");
    assertEquals(0, proxy.GetProperties(container.toString(), "k").length, "properties");
  }

  // A failed AddParts is all or nothing: no new container, an existing one unchanged.
  private static void missingSourceFile(Path dir) throws Exception {
    Path first = writeFile(dir.resolve("first.txt"), "first".getBytes(StandardCharsets.UTF_8));
    Path third = writeFile(dir.resolve("third.txt"), "third".getBytes(StandardCharsets.UTF_8));
    Path container = dir.resolve("c.zrm");
    PartProperty[] parts = {
      new PartProperty(first.toString(), "first.txt", "text"),
      new PartProperty(dir.resolve("absent.txt").toString(), "absent.txt", "text"),
      new PartProperty(third.toString(), "third.txt", "text"),
    };
    assertFailed(proxy.AddParts(container.toString(), 3, parts), "Add part absent.txt fails", "AddParts");
    check(!Files.exists(container), "a failed AddParts created the container");

    assertSucceeded(addOne(container, first, "first.txt", "text"), "AddParts of one part");
    byte[] before = Files.readAllBytes(container);
    parts[0] = new PartProperty(first.toString(), "again.txt", "text");
    assertFailed(proxy.AddParts(container.toString(), 3, parts), "Add part absent.txt fails", "AddParts");
    check(Arrays.equals(before, Files.readAllBytes(container)), "a failed AddParts changed the container");
    assertEquals(3L, countFiles(dir), "files in the directory");
  }

  private static void missingContainer(Path dir) throws Exception {
    String container = dir.resolve("missing.zrm").toString();
    String message = "Container file " + container + " does not exist";
    String out = dir.toString();
    assertFailed(proxy.ExtractAllParts(container, out), message, "ExtractAllParts");
    assertFailed(proxy.ExtractPart(container, out, "a"), message, "ExtractPart");
    ContainerProperty[] props = {new ContainerProperty("a", "b")};
    assertFailed(proxy.SetProperties(container, "k", 1, props), message, "SetProperties");
    check(proxy.GetProperties(container, "k") == null, "GetProperties gave an array");
    check(!Files.exists(dir.resolve("missing.zrm")), "container created by a reading call");

    Path notZip = writeFile(dir.resolve("plain.txt"), "not a zip archive at all".getBytes(StandardCharsets.UTF_8));
    Result result = proxy.ExtractAllParts(notZip.toString(), out);
    check(!result.OK, "a plain file opened as a container");
    check(result.errMessage.startsWith("File " + notZip + " is not a container"), result.errMessage);
    assertEquals(1L, countFiles(dir), "files in the directory");
  }

  // Part names that would leave the target directory are refused when added and, in a container
  // written elsewhere, when extracted; nothing lands outside the target.
  private static void pathEscape(Path dir) throws Exception {
    Path source = writeFile(dir.resolve("src.txt"), "payload".getBytes(StandardCharsets.UTF_8));
    Path container = dir.resolve("evil.zrm");
    Path out = Files.createDirectories(dir.resolve("a").resolve("out"));
    String[] names = {"../escaped.txt", "sub/../../escaped.txt", "..\\escaped.txt", "/tmp/abs-vxn.txt"};
    for (String name : names) {
      assertFailed(
          addOne(container, source, name, "text"), "Part name " + name + " cannot be extracted", "AddParts " + name);
    }
    check(!Files.exists(container), "a refused AddParts created the container");

    TestSupport.writeContainer(container, names, "payload".getBytes(StandardCharsets.UTF_8));
    for (String name : names) {
      assertFailed(
          proxy.ExtractPart(container.toString(), out.toString(), name),
          "Part " + name + " would be written outside " + out,
          "ExtractPart " + name);
    }
    assertFailed(
        proxy.ExtractAllParts(container.toString(), out.toString()),
        "Part ../escaped.txt would be written outside " + out,
        "ExtractAllParts");
    assertEquals(0L, countFiles(out), "files in the target directory");
    check(!Files.exists(dir.resolve("a").resolve("escaped.txt")), "a part escaped");
    check(!Files.exists(dir.resolve("a").resolve("..\\escaped.txt")), "a part escaped");
  }

  // Links planted in the target: a linked file is replaced, not written through; a linked
  // directory is refused.
  private static void plantedLinks(Path dir) throws Exception {
    Path source = writeFile(dir.resolve("src.txt"), "payload".getBytes(StandardCharsets.UTF_8));
    Path precious = writeFile(dir.resolve("precious.txt"), "precious".getBytes(StandardCharsets.UTF_8));
    Path elsewhere = Files.createDirectory(dir.resolve("elsewhere"));
    Path container = dir.resolve("c.zrm");
    PartProperty[] parts = {
      new PartProperty(source.toString(), "linked.txt", "text"),
      new PartProperty(source.toString(), "sub/inner.txt", "text"),
    };
    assertSucceeded(proxy.AddParts(container.toString(), 2, parts), "AddParts");
    Path out = Files.createDirectory(dir.resolve("out"));
    Files.createSymbolicLink(out.resolve("linked.txt"), precious);
    Files.createSymbolicLink(out.resolve("sub"), elsewhere);

    assertSucceeded(proxy.ExtractPart(container.toString(), out.toString(), "linked.txt"), "ExtractPart");
    assertEquals("precious", Files.readString(precious), "the linked file");
    check(!Files.isSymbolicLink(out.resolve("linked.txt")), "the link was kept");
    assertSameBytes(source, out.resolve("linked.txt"));
    assertFailed(
        proxy.ExtractAllParts(container.toString(), out.toString()),
        "Part sub/inner.txt would be written outside " + out,
        "ExtractAllParts");
    assertEquals(0L, countFiles(elsewhere), "files written through the linked directory");
  }

  // A part whose data cannot be decoded yields no stream: the copy does not run and no file is
  // made, and ExtractAllParts stops there.
  private static void partWithoutStream(Path dir) throws Exception {
    Path a = writeFile(dir.resolve("a.txt"), "aaaa".getBytes(StandardCharsets.UTF_8));
    Path b = writeFile(dir.resolve("b.txt"), "bbbb".getBytes(StandardCharsets.UTF_8));
    Path container = dir.resolve("c.zrm");
    PartProperty[] parts = {
      new PartProperty(a.toString(), "a.txt", "text"), new PartProperty(b.toString(), "b.txt", "text"),
    };
    assertSucceeded(proxy.AddParts(container.toString(), 2, parts), "AddParts");
    TestSupport.setCompressionMethod(container, "parts/b.txt", 1); // "shrink": not decodable

    Path out = Files.createDirectory(dir.resolve("out"));
    String target = out + "/b.txt";
    assertFailed(
        proxy.ExtractPart(container.toString(), out.toString(), "b.txt"),
        "Extract parts to " + target + " fails",
        "ExtractPart");
    check(!Files.exists(out.resolve("b.txt")), "a file was made without a stream");
    assertFailed(
        proxy.ExtractAllParts(container.toString(), out.toString()),
        "Extract parts to " + out + " fails",
        "ExtractAllParts");
    assertSameBytes(a, out.resolve("a.txt"));
    check(!Files.exists(out.resolve("b.txt")), "a file was made without a stream");
  }

  private static void nullArguments(Path dir) throws Exception {
    Path container = dir.resolve("c.zrm");
    String c = container.toString();
    String out = dir.toString();
    assertFailed(proxy.ExtractAllParts(null, out), "Argument containerPath is null", "ExtractAllParts");
    assertFailed(proxy.ExtractAllParts(c, null), "Argument targetDirectory is null", "ExtractAllParts");
    assertFailed(proxy.ExtractPart(c, out, null), "Argument partName is null", "ExtractPart");
    assertFailed(proxy.AddParts(null, 0, new PartProperty[0]), "Argument containerPath is null", "AddParts");
    assertFailed(proxy.SetProperties(c, null, 0, null), "Argument propertyKey is null", "SetProperties");
    check(proxy.GetProperties(null, "k") == null, "GetProperties with a null path");
    check(proxy.GetProperties(c, null) == null, "GetProperties with a null key");

    Path file = writeFile(dir.resolve("f.txt"), "f".getBytes(StandardCharsets.UTF_8));
    assertFailed(
        proxy.AddParts(c, 1, new PartProperty[] {null}), "Element 0 of parts is null", "null element");
    assertFailed(
        proxy.AddParts(c, 2, new PartProperty[] {new PartProperty(file.toString(), "f", "t"), new PartProperty(null, "g", "t")}),
        "Element 1 of parts has a null uri",
        "null uri");
    assertFailed(
        proxy.AddParts(c, 1, new PartProperty[] {new PartProperty(file.toString(), null, "t")}),
        "Element 0 of parts has a null name",
        "null name");
    // A null array cannot give the elements a positive count asks for; with count 0 it is empty.
    assertFailed(proxy.AddParts(c, 4, null), "Argument parts is null", "AddParts with a null array");
    assertFailed(
        proxy.SetProperties(c, "k", 4, null), "Argument properties is null", "SetProperties with a null array");
    check(!Files.exists(container), "a failed AddParts created the container");
    assertSucceeded(proxy.AddParts(c, 0, null), "AddParts with a null array and count 0");
    assertFailed(
        proxy.SetProperties(c, "k", 1, new ContainerProperty[] {new ContainerProperty("n", null)}),
        "Element 0 of properties has a null value",
        "null value");
    assertSucceeded(proxy.SetProperties(c, "k", 0, null), "SetProperties with a null array and count 0");
  }

  // A count past the array's end processes the whole array; a negative count processes nothing.
  private static void countBeyondArray(Path dir) throws Exception {
    Path x = writeFile(dir.resolve("x.txt"), "x".getBytes(StandardCharsets.UTF_8));
    Path y = writeFile(dir.resolve("y.txt"), "y".getBytes(StandardCharsets.UTF_8));
    Path container = dir.resolve("c.zrm");
    PartProperty[] parts = {
      new PartProperty(x.toString(), "x.txt", "text"), new PartProperty(y.toString(), "y.txt", "text"),
    };
    assertSucceeded(proxy.AddParts(container.toString(), 100, parts), "AddParts count 100");
    assertSucceeded(proxy.AddParts(container.toString(), -5, parts), "AddParts count -5");
    Path out = Files.createDirectory(dir.resolve("out"));
    assertSucceeded(proxy.ExtractAllParts(container.toString(), out.toString()), "ExtractAllParts");
    assertEquals(2L, countFiles(out), "files extracted");

    ContainerProperty[] props = {new ContainerProperty("p", "1")};
    assertSucceeded(proxy.SetProperties(container.toString(), "k", 7, props), "SetProperties count 7");
    assertSucceeded(
        proxy.SetProperties(container.toString(), "k", -1, new ContainerProperty[] {new ContainerProperty("q", "2")}),
        "SetProperties count -1");
    assertEquals(Map.of("p", "1"), properties(container, "k"), "properties");
  }

  private static void duplicatePart(Path dir) throws Exception {
    Path x = writeFile(dir.resolve("x.txt"), "x".getBytes(StandardCharsets.UTF_8));
    Path container = dir.resolve("c.zrm");
    assertSucceeded(addOne(container, x, "x.txt", "text"), "AddParts");
    assertFailed(
        addOne(container, x, "x.txt", "text"),
        "Part x.txt already exists in container " + container,
        "AddParts of an existing name");
  }

  // Properties that cannot be read are a failure (null), not an empty array.
  private static void damagedProperties(Path dir) throws Exception {
    Path container = dir.resolve("c.zrm");
    assertSucceeded(proxy.AddParts(container.toString(), 0, new PartProperty[0]), "AddParts");
    ContainerProperty[] props = {new ContainerProperty("name", "value")};
    assertSucceeded(proxy.SetProperties(container.toString(), "k", 1, props), "SetProperties");
    TestSupport.damageEntryData(container, "properties/k");
    check(proxy.GetProperties(container.toString(), "k") == null, "damaged properties gave an array");
    assertEquals(0, proxy.GetProperties(container.toString(), "other").length, "properties of another key");
  }

  // Thousands of elements in one call must stay within the VM's local reference capacity, which
  // -Xcheck:jni watches.
  private static void manyPartsAndProperties(Path dir) throws Exception {
    final int n = 5000;
    Path source = writeFile(dir.resolve("s.txt"), "same bytes".getBytes(StandardCharsets.UTF_8));
    Path container = dir.resolve("many.zrm");
    PartProperty[] parts = new PartProperty[n];
    ContainerProperty[] props = new ContainerProperty[n];
    for (int i = 0; i < n; i++) {
      parts[i] = new PartProperty(source.toString(), "part-" + i + ".txt", "text");
      props[i] = new ContainerProperty("name-" + i, "value-" + i);
    }
    assertSucceeded(proxy.AddParts(container.toString(), n, parts), "AddParts");
    assertSucceeded(proxy.SetProperties(container.toString(), "bulk", n, props), "SetProperties");
    Object[] read = proxy.GetProperties(container.toString(), "bulk");
    assertEquals(n, read.length, "properties read");
    Path out = Files.createDirectory(dir.resolve("out"));
    assertSucceeded(proxy.ExtractPart(container.toString(), out.toString(), "part-4999.txt"), "ExtractPart");
    assertSameBytes(source, out.resolve("part-4999.txt"));
  }
}
