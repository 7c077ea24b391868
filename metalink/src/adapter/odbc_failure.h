// What the driver said when an ODBC call failed: the first diagnostic record's SQLSTATE, the
// database's native error code and the message. Plain data, so that headers without ODBC types
// can pass it on.
#pragma once

#include <cstdint>
#include <string>

namespace odbc {

struct Failure {
  // What a caller needs to decide whether going on makes sense.
  enum class Kind {
    kNone,            // no failure recorded
    kStatement,       // this statement failed (a constraint, a bad value); others may succeed
    kConnectionLost,  // the connection is gone; nothing more can run on it
    kReadOnly,        // the database cannot be written
    kLockTimeout,     // a lock held by another session was not granted in time
  };

  std::string sqlState;  // five characters, e.g. "23505"; empty when the driver gave none
  int32_t nativeCode = 0;
  std::string message;  // every record's message, one line, joined with "; "

  bool empty() const { return sqlState.empty() && message.empty(); }
  Kind kind() const;
  // True for the kinds after which no further statement of an import can succeed.
  bool endsTransaction() const;
  // "SQLSTATE 23505, native 7: message": the form of every log line about a failure.
  std::string describe() const;
};

}  // namespace odbc
