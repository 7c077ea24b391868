// The base of every connector object: owns the ODBC command and sets up the log from
// ODBCCon.ini in the temporary directory each time an object is made.
#pragma once

#include <memory>
#include <string>

class CODBCCommand;

class CODBCConBase {
 public:
  // Creates the command, then reads the configuration and sets the process-wide log settings.
  CODBCConBase();
  // Deletes the command; operations disconnect before they return.
  virtual ~CODBCConBase();
  CODBCConBase(const CODBCConBase&) = delete;
  CODBCConBase& operator=(const CODBCConBase&) = delete;

  // False when the temporary directory that holds the configuration is unusable; nothing else
  // can run then, and a message went to standard error.
  bool isUsable() const { return usable_; }

  const std::string& getLogFile() const { return logFile_; }
  const std::string& getLogLevel() const { return logLevel_; }
  // Seconds an import waits for a lock held elsewhere: LockTimeout= of ODBCCon.ini, default 30.
  int getLockTimeout() const { return lockTimeout_; }
  // Whether an import may use the fast write path of the database system: false with FastWrite=0
  // in ODBCCon.ini, the way back to one statement per row should the fast path ever misbehave.
  bool getFastWrite() const { return fastWrite_; }
  // Sets this object's log file and the process-wide log path.
  void setLogFile(const std::string& path);

 protected:
  CODBCCommand* command() const { return command_.get(); }

 private:
  void setUpLog();

  std::string logFile_;
  std::string logLevel_;
  int lockTimeout_ = 30;
  bool fastWrite_ = true;
  std::unique_ptr<CODBCCommand> command_;
  bool usable_ = true;
};
