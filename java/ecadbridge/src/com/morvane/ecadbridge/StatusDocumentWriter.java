package com.morvane.ecadbridge;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.util.Map;

/**
 * Writes the status document of an operation as {@code <directory>/<element>.xml}: one element
 * in the status namespace (declared as the default namespace, so the element carries no prefix)
 * whose attributes hold the outcome. The file is written under a temporary name and renamed, so
 * a reader sees the previous document or the new one, never part of one.
 */
final class StatusDocumentWriter {
  static final String NAMESPACE = "http://www.morvane.com/ecadbridge/status";

  private final Path directory;

  StatusDocumentWriter(String directory) {
    this.directory = Paths.get(directory);
  }

  void write(String element, Map<String, String> attributes) {
    StringBuilder xml = new StringBuilder("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    xml.append('<').append(element).append(" xmlns=\"").append(NAMESPACE).append('"');
    for (Map.Entry<String, String> attribute : attributes.entrySet()) {
      if (attribute.getValue() == null) continue;
      xml.append(' ').append(attribute.getKey()).append("=\"");
      xml.append(escape(attribute.getValue())).append('"');
    }
    xml.append("/>\n");
    Path target = directory.resolve(element + ".xml");
    Path temporary = directory.resolve(element + ".xml.tmp");
    try {
      Files.write(temporary, xml.toString().getBytes(StandardCharsets.UTF_8));
      Files.move(temporary, target, StandardCopyOption.REPLACE_EXISTING,
          StandardCopyOption.ATOMIC_MOVE);
    } catch (IOException e) {
      System.err.println("ecadbridge client: cannot write " + target + ": " + e.getMessage());
    }
  }

  private static String escape(String text) {
    StringBuilder escaped = new StringBuilder(text.length());
    for (int i = 0; i < text.length(); i++) {
      char c = text.charAt(i);
      switch (c) {
        case '&': escaped.append("&amp;"); break;
        case '<': escaped.append("&lt;"); break;
        case '>': escaped.append("&gt;"); break;
        case '"': escaped.append("&quot;"); break;
        case '\t': escaped.append("&#9;"); break;
        case '\n': escaped.append("&#10;"); break;
        case '\r': escaped.append("&#13;"); break;
        default: escaped.append(c);
      }
    }
    return escaped.toString();
  }
}
