// The libraries of the transfer benchmark, and the same content as the rows of the database
// tables that an import of them leaves behind, for the bulk-load baseline.
//
// A library of `count` parts: every part has five attributes (Value with a unit, Tolerance,
// Package, Manufacturer, Description); every tenth part (index 0, 10, 20 ...) also has a
// datasheet below it through a relation of type QREL_reference and a reference attribute
// Alternate naming the next part. transfer_bench_syncmap.xml maps them to the tables below.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class EDALibrary;

namespace transfer_bench {

// One table as the import creates it: an identity column (empty for the link table) and text
// columns, in the order the bulk load writes them.
struct TableShape {
  std::string name;
  std::string identityColumn;
  std::vector<std::string> columns;
};

// Parts, Datasheets and Relations, in that order.
const std::vector<TableShape>& benchTables();

int datasheetCount(int parts);
// Rows of table `table` (an index of benchTables) in a library of `parts` parts.
int tableRowCount(size_t table, int parts);
// All rows of the three tables.
long long totalRowCount(int parts);
// Replaces `*row` by the cells of row `index` of table `table`, one per column of its shape.
// Identity values count from 1 in part (or datasheet) order, as a fresh table hands them out.
void tableRow(size_t table, int index, int parts, std::vector<std::string>* row);

// Writes the library file of `parts` parts and their datasheets, in the form the ECAD side
// writes it: every relation carries its type (an import follows only relations of the type the
// sync map names).
bool writeLibraryFile(int parts, const std::string& path, std::string* error);

// What a library holds, in the terms of the generated content.
struct LibrarySummary {
  long long items = 0;
  long long datasheets = 0;               // objects of type Datasheet, of any class
  long long itemsWithFiveAttributes = 0;  // the five plain attributes, with their values
  long long itemsWithDatasheet = 0;       // a relation (of any type) to a datasheet
  long long resolvedReferences = 0;       // an Alternate naming an item of the library
  bool operator==(const LibrarySummary& other) const;
};
LibrarySummary summarize(const EDALibrary& library);
// The summary of the generated library of `parts` parts.
LibrarySummary expectedSummary(int parts);
std::string describe(const LibrarySummary& summary);

}  // namespace transfer_bench
