// Import and export of the sample library through the connector operations, against SQLite and
// PostgreSQL.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "connector/odbc_con_operation.h"
#include "connector/progress.h"
#include "connector_fixture.h"
#include "library/eda_library.h"
#include "odbc_drivers.h"
#include "odbc_test_database.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

using edatest::kSampleLibrary;
using edatest::kSampleSyncMap;
using edatest::wide;
const std::vector<std::string> kMappedTables = {"Capacitors", "Datasheets", "Footprints",
                                                "ICs",        "Resistors",  "Symbols"};

using Drivers = OdbcDrivers;
using DriverNames = OdbcDriverNames;

// The last report of each phase.
struct ProgressLog {
  std::map<std::string, std::pair<long long, long long>> last;
  int reports = 0;
  static void handler(void* context, const char* phase, long long done, long long total) {
    auto* log = static_cast<ProgressLog*>(context);
    log->last[phase] = {done, total};
    ++log->reports;
  }
};

template <typename Driver>
class TransferTest : public edatest::ConnectorTest<Driver> {
 protected:
  std::unique_ptr<EDALibrary> exportAndLoad(int option, const std::string& reference = "") {
    const std::string path = this->env_.path("exported.xml");
    EXPECT_EQ(this->exportLibrary(path, option, reference), 1);
    auto library = std::make_unique<EDALibrary>();
    EXPECT_TRUE(library->load(path.c_str())) << library->getLastError();
    return library;
  }
  long count(const std::string& table) {
    return std::stol(this->scalar("SELECT COUNT(*) FROM \"" + table + "\""));
  }
};
TYPED_TEST_SUITE(TransferTest, Drivers, DriverNames);

std::vector<std::string> objectNames(const EDALibrary& library, const std::string& classOrType) {
  std::vector<EDAWorkspaceObject*> objects;
  library.getObjects(classOrType, &objects);
  std::vector<std::string> names;
  for (const EDAWorkspaceObject* object : objects) names.push_back(object->getName());
  std::sort(names.begin(), names.end());
  return names;
}

// "secondary type|secondary name" of the relations in which `object` is primary, leaving out
// the relation type `skipped`.
std::vector<std::string> relationsOf(const EDAWorkspaceObject* object,
                                     const std::string& skipped = "") {
  std::vector<std::string> out;
  for (const EDARelation* relation : object->getRelations()) {
    if (relation->getPrimary() != object) continue;
    if (!skipped.empty() && relation->getRelationType() == skipped) continue;
    const auto* secondary = dynamic_cast<const EDAWorkspaceObject*>(relation->getSecondary());
    out.push_back(secondary->getType() + "|" + secondary->getName());
  }
  std::sort(out.begin(), out.end());
  return out;
}

TYPED_TEST(TransferTest, ImportIntoEmptyDatabaseCreatesSchemaAndRows) {
  ProgressLog written;
  metalink::setProgressHandler(&ProgressLog::handler, &written);
  ASSERT_EQ(this->importLibrary(), 1);
  metalink::setProgressHandler(nullptr, nullptr);
  // One row per object and one per child below each part (13 footprints, 14 datasheets), and
  // the rows standing for the two referenced parts.
  const long long rows = 5 + 3 + 5 + 6 + 13 + 14 + 2;
  EXPECT_EQ(written.last["write"], std::make_pair(rows, rows));

  CODBCConOperation browse;
  const auto tables = browse.getTables(this->db_->dsn(), this->db_->user(), this->db_->password());
  for (const std::string& table : kMappedTables) {
    EXPECT_NE(std::find(tables.begin(), tables.end(), wide(table)), tables.end()) << table;
    const auto columns =
        browse.getColumns(this->db_->dsn(), this->db_->user(), this->db_->password(), wide(table));
    EXPECT_NE(std::find(columns.begin(), columns.end(), wide(table + "0")), columns.end())
        << table << " has no identity column";
  }
  EXPECT_NE(std::find(tables.begin(), tables.end(), u"Relations"), tables.end());

  EXPECT_EQ(this->count("Resistors"), 5);
  EXPECT_EQ(this->count("Capacitors"), 3);
  EXPECT_EQ(this->count("ICs"), 5);
  EXPECT_EQ(this->count("Symbols"), 6);
  // Shared footprints and datasheets are stored once each.
  EXPECT_EQ(this->count("Footprints"), 8);
  EXPECT_EQ(this->count("Datasheets"), 10);
  // One view and one or two datasheet links per part; symbol links are not mapped.
  EXPECT_EQ(this->count("Relations"), 13 + 14);

  EXPECT_EQ(this->scalar("SELECT \"Resistance\" FROM \"Resistors\" WHERE \"PartNumber\" = "
                         "'R-10K-0603'"),
            "10&#44;kOhm");
  EXPECT_EQ(this->scalar("SELECT \"Tolerance\" FROM \"Resistors\" WHERE \"PartNumber\" = "
                         "'R-10K-0603'"),
            "1%");
  // The reference names the referenced part's own row, which exists once.
  const std::string target = this->scalar(
      "SELECT \"Resistors0\" FROM \"Resistors\" WHERE \"PartNumber\" = 'R-10K-0603-P'");
  EXPECT_EQ(this->scalar("SELECT \"SecondSource\" FROM \"Resistors\" WHERE \"PartNumber\" = "
                         "'R-10K-0603'"),
            "Resistors&#44;" + target + "&#44;Reference");
  EXPECT_EQ(this->scalar("SELECT \"PartName\" FROM \"Resistors\" WHERE \"PartNumber\" = "
                         "'R-10K-0603-P'"),
            "ERJ-3EKF1002V");
  const std::string footprint = this->scalar(
      "SELECT \"Footprints0\" FROM \"Footprints\" WHERE \"FootprintName\" = 'R_0603_1608Metric'");
  EXPECT_EQ(this->scalar("SELECT COUNT(*) FROM \"Relations\" WHERE \"SecondaryTable\" = "
                         "'Footprints' AND \"SecondaryID\" = '" +
                         footprint + "' AND \"Relation\" = 'view'"),
            "3");

  // The progress lines of the import, in order, around the statements.
  std::vector<std::string> progress;
  for (const std::string& line : this->logMessages("INFO ")) {
    bool statement = false;
    for (const char* verb : {"INSERT", "UPDATE", "CREATE", "ALTER", "DELETE", "DROP", "PRAGMA",
                             "SET", "BEGIN", "COMMIT", "SAVEPOINT", "RELEASE"}) {
      statement = statement || line.rfind(verb, 0) == 0;
    }
    if (statement) {
      if (progress.empty() || progress.back() != "<statements>") progress.push_back("<statements>");
    } else {
      progress.push_back(line);
    }
  }
  EXPECT_EQ(progress, (std::vector<std::string>{
                          kSampleLibrary,
                          "Start to check the integrity of the data source",
                          "<statements>",
                          "End to check the integrity of the data source",
                          "Start to read the structure of the data source",
                          "End to read the structure of the data source",
                          "Start to import edalib.xml to part metadata database",
                          "<statements>",
                          "End to import edalib.xml to part metadata database",
                      }));
}

TYPED_TEST(TransferTest, SecondImportUpdatesRowsAndReplacesLinks) {
  ASSERT_EQ(this->importLibrary(), 1);
  const std::string before =
      this->scalar("SELECT \"Resistors0\" FROM \"Resistors\" WHERE \"PartNumber\" = 'R-10K-0603'");

  // The same parts with a changed value come in again.
  std::string text = edatest::readFile(kSampleLibrary);
  const std::string from = "name=\"Manufacturer\" value=\"Yageo\"";
  text.replace(text.find(from), from.size(), "name=\"Manufacturer\" value=\"Yageo Corp\"");
  const std::string changed = this->env_.path("changed.xml");
  edatest::writeFile(changed, text);
  ASSERT_EQ(this->importLibrary(changed), 1);

  EXPECT_EQ(this->count("Resistors"), 5);
  EXPECT_EQ(this->count("ICs"), 5);
  EXPECT_EQ(this->count("Footprints"), 8);
  EXPECT_EQ(this->count("Datasheets"), 10);
  EXPECT_EQ(this->count("Symbols"), 6);
  EXPECT_EQ(this->count("Relations"), 27);
  EXPECT_EQ(this->scalar("SELECT \"Resistors0\" FROM \"Resistors\" WHERE \"PartNumber\" = "
                         "'R-10K-0603'"),
            before);
  EXPECT_EQ(this->scalar("SELECT \"Manufacturer\" FROM \"Resistors\" WHERE \"PartNumber\" = "
                         "'R-10K-0603'"),
            "Yageo Corp");
}

// Every imported row is looked up by its key columns first; the import indexes them once, so
// that check does not scan the whole table for each row.
TYPED_TEST(TransferTest, ImportIndexesLookupColumnsOnce) {
  ASSERT_EQ(this->importLibrary(), 1);
  const std::string indexQuery =
      this->db_->driver() == edatest::OdbcDriver::kSqlite
          ? "SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name IN "
            "('Resistors_lookup', 'Footprints_lookup', 'Relations_lookup')"
          : "SELECT COUNT(*) FROM pg_indexes WHERE indexname IN "
            "('Resistors_lookup', 'Footprints_lookup', 'Relations_lookup')";
  EXPECT_EQ(this->scalar(indexQuery), "3");
  ASSERT_EQ(this->importLibrary(), 1);
  EXPECT_EQ(this->scalar(indexQuery), "3");
  size_t creations = 0;
  for (const std::string& line : this->logMessages("INFO ")) {
    if (line.find("CREATE INDEX") != std::string::npos &&
        line.find("Resistors_lookup") != std::string::npos) {
      ++creations;
    }
  }
  EXPECT_EQ(creations, 1u) << "the second import finds the index and leaves it";
  EXPECT_TRUE(this->logMessages("ERROR").empty());
}

TYPED_TEST(TransferTest, FullExportRebuildsItemsAttributesAndRelations) {
  ASSERT_EQ(this->importLibrary(), 1);
  std::filesystem::remove(this->env_.defaultLogPath());
  ProgressLog progress;
  metalink::setProgressHandler(&ProgressLog::handler, &progress);
  const auto exported = this->exportAndLoad(3);
  metalink::setProgressHandler(nullptr, nullptr);
  EXPECT_EQ(this->logMessages("INFO "),
            (std::vector<std::string>{
                this->env_.path("exported.xml"), "Start to query data from data source",
                "End to query data from data source", "Start to query data from data source",
                "End to query data from data source"}));
  EXPECT_TRUE(this->logMessages("ERROR").empty());
  // Every row of the mapped tables and of the link table was read, out of a known total.
  const long long rows = 5 + 3 + 5 + 6 + 8 + 10 + 27;
  EXPECT_EQ(progress.last["read"], std::make_pair(rows, rows));

  EDALibrary sample;
  ASSERT_TRUE(sample.load(kSampleLibrary.c_str()));
  EXPECT_EQ(exported->countObjects("EDAItem"), 13u);
  // Footprints, symbols and datasheets all come back as GDE objects.
  EXPECT_EQ(exported->countObjects("EDAGde"), 8u + 6u + 10u);
  EXPECT_EQ(exported->countObjects("EDADataset"), 0u);
  EXPECT_EQ(objectNames(*exported, "Footprint"), objectNames(sample, "Footprint"));
  EXPECT_EQ(objectNames(*exported, "Symbol"), objectNames(sample, "Symbol"));
  EXPECT_EQ(objectNames(*exported, "Datasheet"), objectNames(sample, "Datasheet"));
  EDAGde* datasheet = exported->findGde("Datasheet", "TI LM358 datasheet");
  ASSERT_NE(datasheet, nullptr);
  // The datasheet comes back as a GDE object, its folder as an attribute the file keeps.
  ASSERT_NE(datasheet->getAttribute("folder"), nullptr);
  EXPECT_EQ(datasheet->getAttribute("folder")->getValue(), "datasheets/ti/lm358.pdf");

  std::vector<EDAWorkspaceObject*> items;
  sample.getObjects("EDAItem", &items);
  for (const EDAWorkspaceObject* object : items) {
    const auto* original = static_cast<const EDAItem*>(object);
    SCOPED_TRACE(original->getItemId());
    const EDAItem* copy = exported->findItem(original->getType(), original->getItemId());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->getName(), original->getName());
    EXPECT_EQ(copy->getValue("category", false), original->getCategory());
    EXPECT_EQ(copy->getValue("releaseStatus", false), original->getReleaseStatus());
    EXPECT_EQ(copy->getValue("revision", false), original->getRevision());

    std::vector<EDAAttribute*> attributes;
    original->getAttributes(&attributes);
    for (const EDAAttribute* attribute : attributes) {
      SCOPED_TRACE(attribute->getName());
      // Only attributes that the part's element maps travel (the IC's Datasheet does not).
      if (attribute->getName() == "Datasheet") {
        EXPECT_EQ(copy->getAttribute("Datasheet"), nullptr);
        continue;
      }
      const EDAAttribute* back = copy->getAttribute(attribute->getName());
      ASSERT_NE(back, nullptr);
      if (attribute->isReference()) {
        EXPECT_EQ(back->getType(), "Reference");
        EXPECT_TRUE(back->isRequired());
        const auto* target = dynamic_cast<const EDAItem*>(sample.findObject(attribute->getValue()));
        const auto* backTarget =
            dynamic_cast<const EDAItem*>(exported->findObject(back->getValue()));
        ASSERT_NE(backTarget, nullptr);
        EXPECT_EQ(backTarget->getItemId(), target->getItemId());
        // The reference target is the exported part itself, not a copy of it.
        EXPECT_EQ(backTarget, exported->findItem(target->getType(), target->getItemId()));
      } else {
        EXPECT_EQ(back->getValue(), attribute->getValue());
        EXPECT_EQ(back->getUnit(), attribute->getUnit());
        // A value with a unit comes back without a type; a plain value as a String.
        EXPECT_EQ(back->getType(), attribute->getUnit().empty() ? "String" : "");
      }
    }

    // Footprints and datasheets come back linked to their parts; symbol links are not mapped.
    // Each relation keeps the type the sync map follows, through the file as well.
    EXPECT_EQ(relationsOf(copy), relationsOf(original, "symbol"));
    for (const EDARelation* relation : copy->getRelations()) {
      const auto* secondary = static_cast<const EDAWorkspaceObject*>(relation->getSecondary());
      EXPECT_EQ(relation->getRelationType(),
                secondary->getType() == "Footprint" ? "view" : "QREL_reference");
    }
  }
}

TYPED_TEST(TransferTest, OptionOneLeavesOutAttributesTheClassesDoNotDefine) {
  ASSERT_EQ(this->importLibrary(), 1);
  const auto full = this->exportAndLoad(3);
  const auto plain = this->exportAndLoad(1);
  EXPECT_EQ(plain->countObjects("EDAItem"), full->countObjects("EDAItem"));
  EXPECT_EQ(plain->countObjects("EDAGde"), full->countObjects("EDAGde"));

  const EDAItem* resistor = plain->findItem("Resistor", "R-10K-0603");
  ASSERT_NE(resistor, nullptr);
  EXPECT_EQ(resistor->getValue("revision", false), "B");
  // Plain values need attributes the class lacks; values with units and references are made
  // whatever the option.
  EXPECT_EQ(resistor->getAttribute("Tolerance"), nullptr);
  EXPECT_EQ(resistor->getAttribute("Manufacturer"), nullptr);
  ASSERT_NE(resistor->getAttribute("Resistance"), nullptr);
  EXPECT_EQ(resistor->getAttribute("Resistance")->getUnit(), "kOhm");
  ASSERT_NE(resistor->getAttribute("SecondSource"), nullptr);
  EXPECT_EQ(resistor->getAttribute("SecondSource")->getType(), "Reference");
  const EDAGde* datasheet = plain->findGde("Datasheet", "TI LM358 datasheet");
  ASSERT_NE(datasheet, nullptr);
  EXPECT_EQ(datasheet->getAttribute("folder"), nullptr);
  EXPECT_NE(full->findItem("Resistor", "R-10K-0603")->getAttribute("Tolerance"), nullptr);
}

TYPED_TEST(TransferTest, ReferenceModeReadsOnlyTheReferenceItemsRows) {
  ASSERT_EQ(this->importLibrary(), 1);
  const std::string reference = this->env_.path("reference.xml");
  edatest::writeFile(
      reference,
      "<?xml version=\"1.0\"?>\n<ecad:edaLib "
      "xmlns:ecad=\"http://www.morvane.com/Schemas/ecadlib\">\n"
      "<ecad:item elemId=\"id2\" itemId=\"R-4K7-0805\" name=\"x\" type=\"Resistor\"/>\n"
      "<ecad:item elemId=\"id3\" itemId=\"U-NE555-SO8\" name=\"y\" type=\"IC\"/>\n"
      "</ecad:edaLib>\n");
  ProgressLog progress;
  metalink::setProgressHandler(&ProgressLog::handler, &progress);
  const auto exported = this->exportAndLoad(11, reference);
  metalink::setProgressHandler(nullptr, nullptr);

  // The link table in full, then one row per reference item; the total announced counts the
  // same rows, not every row of the item tables.
  EXPECT_EQ(progress.last["read"], std::make_pair(27LL + 2, 27LL + 2));
  EXPECT_EQ(exported->countObjects("EDAItem"), 2u);
  const EDAItem* resistor = exported->findItem("Resistor", "R-4K7-0805");
  ASSERT_NE(resistor, nullptr);
  EXPECT_EQ(resistor->getName(), "RC0805FR-074K7L");
  ASSERT_NE(resistor->getAttribute("Resistance"), nullptr);
  EXPECT_EQ(resistor->getAttribute("Resistance")->getValue(), "4.7");
  EXPECT_NE(exported->findItem("IC", "U-NE555-SO8"), nullptr);
  EXPECT_EQ(exported->findItem("Resistor", "R-10K-0603"), nullptr);
}

TYPED_TEST(TransferTest, ExportAddsAMissingIdentityColumnBeforeReading) {
  const std::string footprint =
      "CREATE TABLE \"Footprints\" (\"FootprintName\" VARCHAR(80), "
      "\"FootprintType\" VARCHAR(80))";
  std::string error;
  ASSERT_TRUE(
      this->db_->execute("CREATE TABLE \"Resistors\" (\"PartNumber\" VARCHAR(40), "
                         "\"PartName\" VARCHAR(80), \"PartType\" VARCHAR(40), "
                         "\"Resistance\" VARCHAR(40))",
                         &error))
      << error;
  ASSERT_TRUE(this->db_->execute(footprint, &error)) << error;
  ASSERT_TRUE(
      this->db_->execute("INSERT INTO \"Resistors\" VALUES ('R1', 'Part one', "
                         "'Resistor', '4.7&#44;kOhm')",
                         &error))
      << error;
  const auto exported = this->exportAndLoad(3);

  EXPECT_EQ(this->scalar("SELECT \"Resistors0\" FROM \"Resistors\""), "1");
  EXPECT_EQ(this->scalar("SELECT COUNT(*) FROM \"Footprints\""), "0");
  const EDAItem* item = exported->findItem("Resistor", "R1");
  ASSERT_NE(item, nullptr);
  ASSERT_NE(item->getAttribute("Resistance"), nullptr);
  EXPECT_EQ(item->getAttribute("Resistance")->getUnit(), "kOhm");
}

TYPED_TEST(TransferTest, ImportWithLogFileSendsItsLinesThereAndRestoresTheLog) {
  const std::string own = this->env_.path("import.log");
  ASSERT_EQ(this->importLibrary(kSampleLibrary, kSampleSyncMap, own), 1);
  const auto lines = edatest::ConnectorEnvironment::messages(own, "INFO ");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), kSampleLibrary);
  EXPECT_TRUE(this->logMessages("INFO ").empty());

  CODBCConOperation check;
  EXPECT_EQ(check.checkDataSource(this->db_->dsn(), this->db_->user(), this->db_->password()), 1);
  EXPECT_EQ(check.getLogFile(), this->env_.defaultLogPath());
  const auto exported = this->exportLibrary(this->env_.path("x.xml"), 1);
  EXPECT_EQ(exported, 1);
  EXPECT_FALSE(this->logMessages("INFO ").empty());
  EXPECT_EQ(edatest::ConnectorEnvironment::messages(own, "INFO ").size(), lines.size());
}

}  // namespace
