package com.morvane.ecadbridge;

import java.io.FileOutputStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;

/**
 * Appends one line per client call to a file: the method name and each argument, separated by
 * tabs. A null argument is written as {@code <null>}; backslash, tab and line breaks inside an
 * argument are escaped with a backslash so that every call stays on one line. Each line is
 * written with one write, so a reader sees whole lines while the client keeps running.
 */
final class CallJournal {
  static final String NULL_TEXT = "<null>";

  private final FileOutputStream out;

  CallJournal(String path) throws IOException {
    out = new FileOutputStream(path, true);
  }

  synchronized void record(String method, Object... arguments) {
    StringBuilder line = new StringBuilder(method);
    for (Object argument : arguments) {
      line.append('\t').append(argument == null ? NULL_TEXT : escape(argument.toString()));
    }
    line.append('\n');
    try {
      out.write(line.toString().getBytes(StandardCharsets.UTF_8));
    } catch (IOException e) {
      // The journal is a diagnostic aid; the call itself goes on.
      System.err.println("ecadbridge client: cannot write the call journal: " + e.getMessage());
    }
  }

  private static String escape(String text) {
    StringBuilder escaped = new StringBuilder(text.length());
    for (int i = 0; i < text.length(); i++) {
      char c = text.charAt(i);
      switch (c) {
        case '\\': escaped.append("\\\\"); break;
        case '\t': escaped.append("\\t"); break;
        case '\n': escaped.append("\\n"); break;
        case '\r': escaped.append("\\r"); break;
        default: escaped.append(c);
      }
    }
    return escaped.toString();
  }
}
