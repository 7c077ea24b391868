// The connector log: one text file, four levels, one line format.
//
// The settings are process-wide and unguarded: the connector's operations run one at a time in a
// process, and the configuration of each operation resets them before anything is logged.
#pragma once

#include <string>
#include <utility>

class MessageLogger {
 public:
  // Level tags, each exactly five characters wide so every time stamp starts at column 7.
  static constexpr const char* kErrorTag = "ERROR";
  static constexpr const char* kWarnTag = "WARN ";
  static constexpr const char* kInfoTag = "INFO ";
  static constexpr const char* kDebugTag = "DEBUG";

  virtual ~MessageLogger() = default;

  // Writes one line "<tag> <time> <message>" whatever the level flags say. `source` names the
  // calling module and is not written. The file is opened and closed for every line, never
  // through a symbolic link and never when another user owns it, and is created readable by its
  // owner only. When it cannot be opened the line is dropped and a warning goes to standard
  // error, once per process for each path. An empty path means the log is off.
  static void write(const char* tag, const char* source, const std::string& message);

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
  static const Settings& settings() { return settings_; }
  static void configure(Settings settings) { settings_ = std::move(settings); }
  static void setLogFile(std::string path) { settings_.logFile = std::move(path); }
  static void setLevels(bool error, bool warn, bool info, bool debug);

  static const std::string& logFilePath() { return settings_.logFile; }
  static bool errorEnabled() { return settings_.error; }
  static bool warnEnabled() { return settings_.warn; }
  static bool infoEnabled() { return settings_.info; }
  static bool debugEnabled() { return settings_.debug; }

 private:
  static Settings settings_;
};
