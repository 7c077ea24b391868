// The prepared statements of one update, one per statement text (table and column set), made
// when first needed and kept until the update ends.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "adapter/odbc_prepared.h"

class PreparedStatements {
 public:
  explicit PreparedStatements(CODBCCommand* command) : command_(command) {}

  // The statement for `text`; null when the driver refuses to prepare it (logged at INFO only:
  // the caller then writes the row with literal statements, which report their own failures).
  CODBCPrepared* get(const std::u16string& text);

 private:
  CODBCCommand* command_;
  std::map<std::u16string, std::unique_ptr<CODBCPrepared>> statements_;
};
