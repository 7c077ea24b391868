#include "transfer_bench_check.h"

#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "transfer_bench_library.h"
#include "transfer_bench_odbc.h"
#include "util/cell_text.h"

namespace transfer_bench {
namespace {

enum Table : size_t { kParts = 0, kDatasheets = 1, kRelations = 2 };

// Identity value -> the row's first column (part number, datasheet name).
using IdentityNames = std::map<std::string, std::string>;

// A reference cell "table&#44;id&#44;Reference" with the identity replaced by the row's name.
std::string resolveReference(const std::string& cell, const IdentityNames& parts) {
  const size_t first = cell.find(cell_text::kPartSeparatorUtf8);
  if (first == std::string::npos) return cell;
  const size_t idAt = first + sizeof cell_text::kPartSeparatorUtf8 - 1;
  const size_t second = cell.find(cell_text::kPartSeparatorUtf8, idAt);
  if (second == std::string::npos) return cell;
  auto it = parts.find(cell.substr(idAt, second - idAt));
  const std::string name =
      it == parts.end() ? "<no row " + cell.substr(idAt, second - idAt) + ">" : it->second;
  return cell.substr(0, idAt) + name + cell.substr(second);
}

std::string nameOf(const IdentityNames& names, const std::string& id) {
  auto it = names.find(id);
  return it == names.end() ? "<no row " + id + ">" : it->second;
}

// The rows of one table as read, with the identity value in front where there is one.
bool readTable(BenchConnection* connection, size_t table,
               std::vector<std::vector<std::string>>* rows, std::string* error) {
  const TableShape& shape = benchTables()[table];
  std::string sql = "SELECT ";
  if (!shape.identityColumn.empty()) sql += quoted(shape.identityColumn) + ",";
  for (size_t c = 0; c < shape.columns.size(); ++c) {
    sql += (c == 0 ? "" : ",") + quoted(shape.columns[c]);
  }
  return connection->query(sql + " FROM " + quoted(shape.name), rows, error);
}

std::string describeRow(const std::vector<std::string>& row) {
  std::string text;
  for (const std::string& v : row) text += (text.empty() ? "" : " | ") + v;
  return text;
}

}  // namespace

std::string compareWithLibrary(BenchConnection* connection, int parts, long long* rowsFound) {
  *rowsFound = 0;
  std::vector<std::vector<std::string>> read[3];
  for (size_t t = 0; t < 3; ++t) {
    std::string error;
    if (!readTable(connection, t, &read[t], &error)) return benchTables()[t].name + ": " + error;
    *rowsFound += static_cast<long long>(read[t].size());
    if (read[t].size() != static_cast<size_t>(tableRowCount(t, parts))) {
      return benchTables()[t].name + ": " + std::to_string(read[t].size()) + " rows, not " +
             std::to_string(tableRowCount(t, parts));
    }
  }
  // The expected rows get their identity values the way the bulk load does (row order), the rows
  // read the values the database gave them.
  IdentityNames expectedIds[2];
  IdentityNames actualIds[2];
  std::vector<std::string> row;
  for (size_t t : {kParts, kDatasheets}) {
    for (int i = 0; i < tableRowCount(t, parts); ++i) {
      tableRow(t, i, parts, &row);
      expectedIds[t][std::to_string(i + 1)] = row[0];
    }
    for (const auto& r : read[t]) actualIds[t][r[0]] = r[1];
  }

  for (size_t t : {kParts, kDatasheets}) {
    std::map<std::string, std::vector<std::string>> byName;
    for (const auto& r : read[t]) {
      std::vector<std::string> values(r.begin() + 1, r.end());
      if (t == kParts) values.back() = resolveReference(values.back(), actualIds[kParts]);
      byName[values[0]] = values;
    }
    for (int i = 0; i < tableRowCount(t, parts); ++i) {
      tableRow(t, i, parts, &row);
      if (t == kParts) row.back() = resolveReference(row.back(), expectedIds[kParts]);
      auto it = byName.find(row[0]);
      if (it == byName.end()) return benchTables()[t].name + ": no row " + row[0];
      if (it->second != row) {
        return benchTables()[t].name + ": " + describeRow(it->second) + " instead of " +
               describeRow(row);
      }
    }
  }

  // Link rows as (primary name, secondary name, relation), compared as multisets.
  using Link = std::tuple<std::string, std::string, std::string, std::string, std::string>;
  std::multiset<Link> expected;
  for (int i = 0; i < tableRowCount(kRelations, parts); ++i) {
    tableRow(kRelations, i, parts, &row);
    expected.emplace(row[0], nameOf(expectedIds[kParts], row[1]), row[2],
                     nameOf(expectedIds[kDatasheets], row[3]), row[4]);
  }
  std::multiset<Link> actual;
  for (const auto& r : read[kRelations]) {
    actual.emplace(r[0], nameOf(actualIds[kParts], r[1]), r[2],
                   nameOf(actualIds[kDatasheets], r[3]), r[4]);
  }
  if (actual != expected) return "Relations: the link rows name other rows than the library's";
  return "ok";
}

}  // namespace transfer_bench
