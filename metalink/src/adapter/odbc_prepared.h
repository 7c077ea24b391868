// A statement prepared once and run many times with text parameters: the write path of an import
// runs the same INSERT or UPDATE for thousands of rows, and parsing it once per table and column
// set is what makes that fast. Values are bound as text through the driver's DriverText, so every
// character reaches the database whatever the host's locale.
//
// Made by CODBCCommand::prepare; lives no longer than the command's connection.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adapter/odbc_command.h"
#include "adapter/odbc_failure.h"

class CODBCPrepared {
 public:
  using Value = std::optional<std::u16string>;  // nullopt: NULL
  using Row = std::vector<Value>;

  ~CODBCPrepared();
  CODBCPrepared(const CODBCPrepared&) = delete;
  CODBCPrepared& operator=(const CODBCPrepared&) = delete;

  const std::u16string& text() const { return text_; }

  // Binds `values` to the statement's markers in order and runs it. A statement that returns rows
  // (a query, INSERT ... RETURNING) leaves them in rows(). A failure is kept in the command's
  // lastFailure() and logged: at ERROR, or with `quiet` at INFO, for a statement the caller will
  // run again in smaller parts (a failure that ends the transaction is an ERROR all the same).
  CODBCCommand::Outcome run(const std::vector<std::u16string>& values, bool quiet = false);
  const std::vector<Row>& rows() const { return rows_; }
  // As run(), but each row the statement returns goes to `each` as it is fetched and none is
  // kept: a read of a whole table then holds one row at a time.
  CODBCCommand::Outcome runEach(const std::vector<std::u16string>& values,
                                const std::function<void(const Row&)>& each);

 private:
  friend class CODBCCommand;
  struct Handle;
  CODBCPrepared(CODBCCommand* command, std::unique_ptr<Handle> handle, std::u16string text);
  CODBCCommand::Outcome execute(const std::vector<std::u16string>& values, bool quiet,
                                const std::function<void(Row&&)>& each);

  CODBCCommand* command_;
  std::unique_ptr<Handle> handle_;
  std::u16string text_;
  std::vector<Row> rows_;
};
