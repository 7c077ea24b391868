// What an import would do to one table, counted by a dry run that writes nothing.
#pragma once

#include <string>

struct ImportTablePlan {
  std::u16string table;
  bool created = false;         // the import would create the table
  long long inserted = 0;       // rows it would insert
  long long updated = 0;        // existing rows whose cells it would change
  long long unchanged = 0;      // existing rows it would leave as they are
  long long linksReplaced = 0;  // link rows of the table's rows it would delete
  long long linksWritten = 0;   // link rows it would write for them
};
