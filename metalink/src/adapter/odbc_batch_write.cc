// The fast path's rows in sets: where the database takes many rows in one statement, the rows
// of pass 1 and the reference cells of pass 2 go a few hundred to a statement instead of one
// statement (and, on PostgreSQL, a savepoint before and after it) per row.
//
// A set that fails is rolled back to its savepoint and written again row by row, each row as the
// fast path writes it alone, so that a failing row costs only itself and is logged as on the
// statement path. Identities: an insert set converts all its values before it draws the first
// identity, so a value that does not fit fails the set without drawing any; but a row that breaks
// a constraint (a CHECK, a unique index) fails after the rows before it in its set drew theirs,
// and a sequence does not give values back on rollback. Then the rows after the failed row get
// higher identities than on the statement path (gaps, as PostgreSQL leaves after any failed
// insert); rows, keys, link rows and reference cells stay the same.
#include <algorithm>
#include <iterator>
#include <set>
#include <vector>

#include "adapter/json_rows.h"
#include "adapter/odbc_adapter.h"
#include "adapter/odbc_command.h"
#include "adapter/odbc_fast_write.h"
#include "adapter/stored_keys.h"
#include "util/wide_text.h"

namespace {

// Rows per statement: large enough that round trips no longer count, small enough that a set
// redone row by row after a failure costs little.
constexpr size_t kRowsPerSet = 500;

bool ascendingNumber(const std::u16string& a, const std::u16string& b) {
  // Identities are whole numbers: the shorter is the smaller unless signs differ.
  const bool negativeA = !a.empty() && a[0] == u'-';
  const bool negativeB = !b.empty() && b[0] == u'-';
  if (negativeA != negativeB) return negativeA;
  if (a.size() != b.size()) return negativeA ? a.size() > b.size() : a.size() < b.size();
  return negativeA ? a > b : a < b;
}

// Whether the rows of a set may leave each other's columns out: an insert that leaves a column out
// gives it the column's default, the set gives it NULL, which is the same only where the column
// has no default.
bool leftOutIsNull(const CDataTable& table, const std::vector<std::u16string>& a,
                   const std::vector<std::u16string>& b) {
  std::vector<std::u16string> differ;
  std::set_symmetric_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(differ));
  return std::all_of(differ.begin(), differ.end(), [&table](const std::u16string& name) {
    const CDataColumn* column = table.findColumn(name);
    return column != nullptr && !column->isAutoIncrement() &&
           (column->getDefaultValue().empty() ||
            equalsIgnoreCase(column->getDefaultValue(), u"NULL"));
  });
}

}  // namespace

void CODBCAdapter::queueRow(PendingRows* pending, bool insert, CDataRow* row,
                            const std::vector<std::u16string>& columns,
                            const std::vector<std::u16string>& where, bool byPrimaryKey,
                            const std::u16string& key, PreparedStatements* prepared,
                            StoredKeys* keys) {
  const PendingRows::Kind kind = insert ? PendingRows::Kind::kInsert : PendingRows::Kind::kUpdate;
  CDataTable* table = row->getTable();
  bool fits = !pending->rows.empty() && pending->kind == kind &&
              pending->table == table->getName() && pending->where == where &&
              pending->byPrimaryKey == byPrimaryKey && pending->rows.size() < kRowsPerSet &&
              (key.empty() || pending->keys.count(key) == 0);
  if (fits && insert) fits = leftOutIsNull(*table, pending->columns, columns);
  if (!pending->rows.empty() && !fits) flushRows(pending, prepared, keys);
  if (report_.stopped()) return;
  if (pending->rows.empty()) {
    pending->kind = kind;
    pending->table = table->getName();
    pending->columns.clear();
    pending->where = where;
    pending->byPrimaryKey = byPrimaryKey;
  }
  std::vector<std::u16string> all;
  std::set_union(pending->columns.begin(), pending->columns.end(), columns.begin(), columns.end(),
                 std::back_inserter(all));
  pending->columns.swap(all);
  pending->rows.push_back(row);
  pending->rowColumns.push_back(columns);
  if (!key.empty()) pending->keys.insert(key);
}

void CODBCAdapter::flushRows(PendingRows* pending, PreparedStatements* prepared, StoredKeys* keys) {
  std::vector<CDataRow*> rows;
  std::vector<std::vector<std::u16string>> rowColumns;
  rows.swap(pending->rows);
  rowColumns.swap(pending->rowColumns);
  pending->keys.clear();
  if (rows.empty() || report_.stopped()) return;
  const bool insert = pending->kind == PendingRows::Kind::kInsert;
  const auto oneByOne = [&] {
    for (size_t i = 0; i < rows.size(); ++i) {
      if (report_.stopped()) return;
      if (insert) {
        insertNewRow(rows[i], rowColumns[i], prepared, keys);
      } else {
        updateFoundRow(rows[i], rowColumns[i], pending->where, pending->byPrimaryKey, prepared);
      }
    }
  };
  if (rows.size() == 1) {
    oneByOne();
    return;
  }

  CODBCCommand* odbc = odbcCommand();
  const SqlStatementBuilder sql = statements();
  const CDataColumn* identity = rows.front()->getTable()->getIdentityColumn();
  const std::u16string identityName = identity != nullptr ? identity->getName() : u"";
  const std::u16string text =
      insert ? sql.insertRowSet(pending->table, pending->columns, identityName)
             : sql.updateRowSet(pending->table, pending->columns, pending->where);
  CODBCPrepared* statement = text.empty() ? nullptr : prepared->get(text);
  if (statement == nullptr) {
    oneByOne();
    return;
  }
  std::vector<JsonRow> values;
  values.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    JsonRow cells;
    for (const auto& name : rowColumns[i]) {
      cells.emplace_back(name, SqlStatementBuilder::cell(*rows[i], name));
    }
    for (const auto& name : insert ? std::vector<std::u16string>() : pending->where) {
      const auto& own = rowColumns[i];
      if (std::find(own.begin(), own.end(), name) != own.end()) continue;
      cells.emplace_back(name, SqlStatementBuilder::cell(*rows[i], name));
    }
    values.push_back(std::move(cells));
  }
  const std::vector<std::u16string> parameter{jsonRows(values)};
  odbc->clearFailure();
  const bool returning = insert && identity != nullptr;
  const bool written = fenced([&] {
    if (statement->run(parameter, /*quiet=*/true) == CODBCCommand::Outcome::kFailed) return false;
    // One identity per row, or the set is not trusted and done again row by row.
    if (!returning) return true;
    const auto& returned = statement->rows();
    return returned.size() == rows.size() &&
           std::all_of(returned.begin(), returned.end(),
                       [](const CODBCPrepared::Row& r) { return !r.empty() && r[0].has_value(); });
  });
  if (!written) {
    if (!report_.stopped()) oneByOne();
    return;
  }
  if (!insert) return;
  std::vector<std::u16string> identities;
  if (returning) {
    for (const auto& r : statement->rows()) identities.push_back(*r[0]);
    // The rows drew their identities in the order of the set, each higher than the last.
    std::sort(identities.begin(), identities.end(), ascendingNumber);
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::u16string newIdentity = returning ? identities[i] : std::u16string();
    if (returning) rows[i]->setValue(identityName, newIdentity);
    if (keys != nullptr) keys->add(*rows[i], newIdentity);
  }
}
