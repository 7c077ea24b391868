// A library exported from one database imports into a fresh one with the same rows: every
// mapped table and the link table hold in B what they held in A. Identity values differ between
// the two databases, so rows are compared by content, reference cells and link rows through the
// rows they name.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "connector/odbc_con_operation.h"
#include "connector_fixture.h"
#include "library/eda_library.h"
#include "odbc_drivers.h"
#include "odbc_test_database.h"
#include "platform/text.h"

namespace {

using edatest::kSampleLibrary;
using edatest::wide;
const std::vector<std::string> kMappedTables = {"Capacitors", "Datasheets", "Footprints",
                                                "ICs",        "Resistors",  "Symbols"};
const std::string kSeparator = "&#44;";

using Drivers = OdbcDrivers;
using DriverNames = OdbcDriverNames;

// Table name -> the rows as sorted texts.
using Contents = std::map<std::string, std::vector<std::string>>;

// The cells "table&#44;identity&#44;Reference" of a reference, split; false for other text.
bool splitReference(const std::string& cell, std::string* table, std::string* identity) {
  const size_t first = cell.find(kSeparator);
  if (first == std::string::npos) return false;
  const size_t second = cell.find(kSeparator, first + kSeparator.size());
  if (second == std::string::npos || cell.substr(second + kSeparator.size()) != "Reference") {
    return false;
  }
  *table = cell.substr(0, first);
  *identity = cell.substr(first + kSeparator.size(), second - first - kSeparator.size());
  return true;
}

// Reads the tables of a database with identities replaced by what they name.
class ContentReader {
 public:
  explicit ContentReader(edatest::TestDatabase* db) : db_(db) {}

  Contents read() {
    for (const std::string& table : kMappedTables) load(table);
    Contents out;
    for (const std::string& table : kMappedTables) {
      auto& rows = out[table];
      for (const auto& row : tables_[table]) rows.push_back(resolved(row.second));
      std::sort(rows.begin(), rows.end());
    }
    const auto links = query(
        "SELECT \"PrimaryTable\", \"PrimaryID\", \"SecondaryTable\", "
        "\"SecondaryID\", \"Relation\" FROM \"Relations\"");
    auto& rows = out["Relations"];
    for (const auto& link : links) {
      rows.push_back(link[0] + " " + plain(link[0], link[1]) + " -" + link[4] + "-> " + link[2] +
                     " " + plain(link[2], link[3]));
    }
    std::sort(rows.begin(), rows.end());
    return out;
  }

 private:
  using Cells = std::vector<std::pair<std::string, std::string>>;  // (column, value)

  std::vector<std::vector<std::string>> query(const std::string& sql) {
    std::string error;
    std::vector<std::vector<std::string>> out;
    for (const auto& row : db_->query(sql, &error)) {
      std::vector<std::string> cells;
      for (const auto& cell : row) cells.push_back(cell ? *cell : "<null>");
      out.push_back(cells);
    }
    EXPECT_TRUE(error.empty()) << sql << ": " << error;
    return out;
  }

  void load(const std::string& table) {
    CODBCConOperation browse;
    std::vector<std::string> columns;
    for (const std::u16string& name :
         browse.getColumns(db_->dsn(), db_->user(), db_->password(), wide(table))) {
      const std::string column = platform::utf16ToUtf8(name);
      if (column != table + "0") columns.push_back(column);
    }
    std::sort(columns.begin(), columns.end());
    std::string sql = "SELECT \"" + table + "0\"";
    for (const std::string& column : columns) sql += ", \"" + column + "\"";
    for (const auto& row : query(sql + " FROM \"" + table + "\"")) {
      Cells cells;
      for (size_t i = 0; i < columns.size(); ++i) cells.emplace_back(columns[i], row[i + 1]);
      tables_[table][row[0]] = cells;
    }
  }

  // The row's cells, reference cells left out: enough to tell the rows of a table apart.
  std::string plain(const std::string& table, const std::string& identity) {
    const auto t = tables_.find(table);
    if (t == tables_.end()) return "<no table " + table + ">";
    const auto row = t->second.find(identity);
    if (row == t->second.end()) return "<no row " + table + "/" + identity + ">";
    std::string text = "{";
    std::string referencedTable, referencedId;
    for (const auto& cell : row->second) {
      if (splitReference(cell.second, &referencedTable, &referencedId)) continue;
      text += cell.first + "=" + cell.second + ";";
    }
    return text + "}";
  }

  std::string resolved(const Cells& cells) {
    std::string text;
    std::string table, identity;
    for (const auto& cell : cells) {
      text += cell.first + "=";
      text += splitReference(cell.second, &table, &identity) ? "->" + table + plain(table, identity)
                                                             : cell.second;
      text += ";";
    }
    return text;
  }

  edatest::TestDatabase* db_;
  std::map<std::string, std::map<std::string, Cells>> tables_;
};

// A library in the form of the sample, `count` parts: resistors, capacitors and ICs with units,
// plain values and references to an earlier part of their type, footprints shared by package
// (relation "view"), a datasheet for every tenth part (relation "QREL_reference") and symbols.
void buildLibrary(EDALibrary* library, int count) {
  library->setName("Generated");
  const char* const kPackages[] = {"0402", "0603", "0805", "SOIC-8"};
  std::vector<EDAGde*> footprints;
  for (const char* package : kPackages) {
    footprints.push_back(library->createGde(std::string("FP_") + package, "Footprint"));
  }
  for (int i = 0; i < 5; ++i) library->createGde("SYM-" + std::to_string(i), "Symbol");
  std::map<std::string, EDAItem*> previousOfType;
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    const char* type = i % 3 == 0 ? "Resistor" : i % 3 == 1 ? "Capacitor" : "IC";
    EDAItem* item = library->createItem("G-" + n, "Generated part " + n, type);
    item->setCategory(type);
    item->setReleaseStatus(i % 7 == 0 ? "Obsolete" : "Released");
    item->setRevision(std::string(1, static_cast<char>('A' + i % 5)));
    const auto set = [item](const std::string& name, const std::string& value,
                            const std::string& unit = "") {
      EDAAttribute* attribute = item->getOrCreateAttribute(name);
      attribute->setValue(value);
      attribute->setUnit(unit);
    };
    set("Package", kPackages[i % 4]);
    set("Manufacturer", i % 2 ? "Yageo" : "O'Neil & Sons");
    if (i % 3 == 0) {
      set("Resistance", std::to_string(i % 1000 + 1), i % 2 ? "kOhm" : "Ohm");
      set("Tolerance", "1%");
    } else if (i % 3 == 1) {
      set("Capacitance", std::to_string(i % 470 + 1), "nF");
      set("Voltage", "50", "V");
    } else {
      set("Description", "Generated IC <" + n + ">");
      set("PinCount", std::to_string(8 + i % 4 * 8));
    }
    EDAItem*& previous = previousOfType[type];
    if (previous != nullptr && i % 3 != 1 && i % 5 == 0) {
      EDAAttribute* second = item->getOrCreateAttribute("SecondSource");
      second->setType("Reference");
      second->setRequired(true);
      second->setValue(previous->getElemId());
    }
    previous = item;
    item->addRelation("view", footprints[i % 4]);
    if (i % 10 == 0) {
      EDADataset* sheet = library->createDataset("Datasheet " + n, "Datasheet");
      sheet->setFolder("datasheets/" + n + ".pdf");
      item->addRelation("QREL_reference", sheet);
    }
  }
}

template <typename Driver>
class LibraryRoundTripTest : public ::testing::Test {
 protected:
  std::unique_ptr<edatest::TestDatabase> newDatabase() {
    auto db = edatest::newDatabase(Driver::kDriver);
    std::string error;
    // A write-ahead log, as the demo uses, instead of a journal synced at every statement.
    if (db != nullptr && Driver::kDriver == edatest::OdbcDriver::kSqlite) {
      EXPECT_TRUE(db->execute("PRAGMA journal_mode=WAL", &error)) << error;
    }
    return db;
  }

  // Imports `library` into A, exports A, imports the export into B; returns both contents.
  void roundTrip(const std::string& library, Contents* a, Contents* b) {
    auto first = newDatabase();
    auto second = newDatabase();
    ASSERT_TRUE(first && second);
    ASSERT_EQ(edatest::importInto(*first, library), 1);
    const std::string exported = env_.path("exported.xml");
    ASSERT_EQ(edatest::exportFrom(*first, exported), 1);
    ASSERT_EQ(edatest::importInto(*second, exported), 1);
    *a = ContentReader(first.get()).read();
    *b = ContentReader(second.get()).read();
  }

  edatest::ConnectorEnvironment env_;
};
TYPED_TEST_SUITE(LibraryRoundTripTest, Drivers, DriverNames);

TYPED_TEST(LibraryRoundTripTest, SampleLibraryComesBackIntoTheSameRows) {
  Contents a, b;
  this->roundTrip(kSampleLibrary, &a, &b);
  // Parts, shared footprints and datasheets, symbols, and the links of every part.
  const std::map<std::string, size_t> expected = {
      {"Resistors", 5},  {"Capacitors", 3},  {"ICs", 5},       {"Symbols", 6},
      {"Footprints", 8}, {"Datasheets", 10}, {"Relations", 27}};
  for (const auto& table : expected) {
    SCOPED_TRACE(table.first);
    EXPECT_EQ(a[table.first].size(), table.second);
    EXPECT_EQ(b[table.first], a[table.first]);
  }
}

// Parts of the generated library: EDA_ROUND_TRIP_PARTS when set (10000 for the full check, a few
// minutes per database), else a size that keeps the suite fast.
int generatedParts() {
  const char* text = getenv("EDA_ROUND_TRIP_PARTS");
  const int parts = text != nullptr ? atoi(text) : 0;
  return parts > 0 ? parts : 600;
}

TYPED_TEST(LibraryRoundTripTest, GeneratedLibraryComesBackIntoTheSameRows) {
  const int parts = generatedParts();
  const size_t sheets = static_cast<size_t>(parts + 9) / 10;
  EDALibrary library;
  buildLibrary(&library, parts);
  const std::string file = this->env_.path("generated.xml");
  ASSERT_TRUE(library.save(file.c_str())) << library.getLastError();

  Contents a, b;
  this->roundTrip(file, &a, &b);
  EXPECT_EQ(a["Resistors"].size() + a["Capacitors"].size() + a["ICs"].size(),
            static_cast<size_t>(parts));
  EXPECT_EQ(a["Footprints"].size(), 4u);
  EXPECT_EQ(a["Datasheets"].size(), sheets);
  EXPECT_EQ(a["Relations"].size(), parts + sheets);
  for (const auto& table : a) {
    SCOPED_TRACE(table.first);
    ASSERT_EQ(b[table.first].size(), table.second.size());
    // One mismatch is enough to see; ten thousand are not.
    const auto mismatch =
        std::mismatch(table.second.begin(), table.second.end(), b[table.first].begin());
    if (mismatch.first != table.second.end()) {
      ADD_FAILURE() << "A: " << *mismatch.first << "\nB: " << *mismatch.second;
    }
  }
}

}  // namespace
