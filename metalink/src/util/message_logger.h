// The connector log: one text file, four levels, one line format.
//
// The settings are process-wide: the configuration of each operation resets them before anything
// is logged. Every call may come from any thread; operations running at once in one process share
// the settings and the open file, and their lines never interleave.
#pragma once

#include <string>

class MessageLogger {
 public:
  // Level tags, each exactly five characters wide so every time stamp starts at column 7.
  static constexpr const char* kErrorTag = "ERROR";
  static constexpr const char* kWarnTag = "WARN ";
  static constexpr const char* kInfoTag = "INFO ";
  static constexpr const char* kDebugTag = "DEBUG";

  virtual ~MessageLogger() = default;

  // Writes one line "<tag> <time> <message>" whatever the level flags say. `source` names the
  // calling module and is not written. The file is opened at the first line and stays open until
  // the path changes or closeFile(); it is never opened through a symbolic link nor when another
  // user owns it, and is created readable by its owner only. Each line is one append of its own
  // (O_APPEND), handed to the system before write returns: other processes may append to the same
  // file, and a crash loses no line already written. When the path no longer names the open file
  // (removed, or renamed away by log rotation) a new file is opened there. When the file cannot be
  // opened the line is dropped and a warning goes to standard error, once per process for each
  // path. An empty path means the log is off.
  static void write(const char* tag, const char* source, const std::string& message);
  // Closes the file; the next line opens it again. An operation calls it when it ends, so that no
  // descriptor is held between the calls of a host.
  static void closeFile();

  // Tells the user on standard error what keeps the log from working, as one line that starts
  // with "metalink: warning: ". The same text is told once per process only, since a host may
  // make any number of calls.
  static void warnOnce(const std::string& text);

  static void error(const char* source, const std::string& message);
  static void warn(const char* source, const std::string& message);
  static void info(const char* source, const std::string& message);
  static void debug(const char* source, const std::string& message);

  // The process-wide settings. Nothing is enabled until the configuration has run.
  struct Settings {
    std::string logFile;  // empty: the log is off
    bool error = false;
    bool warn = false;
    bool info = false;
    bool debug = false;
  };
  static Settings settings();
  static void configure(const Settings& settings);
  static void setLogFile(const std::string& path);
  static void setLevels(bool error, bool warn, bool info, bool debug);

  static std::string logFilePath();
  static bool errorEnabled();
  static bool warnEnabled();
  static bool infoEnabled();
  static bool debugEnabled();
};
