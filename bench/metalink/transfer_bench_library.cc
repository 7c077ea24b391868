#include "transfer_bench_library.h"

#include <cstdio>

#include "library/eda_library.h"

namespace transfer_bench {
namespace {

constexpr char kPartType[] = "Part";
constexpr char kDatasheetType[] = "Datasheet";
constexpr char kRelationType[] = "QREL_reference";
// The separator of a cell's parts, as the connector writes it.
constexpr char kPartSeparator[] = "&#44;";

enum Table : size_t { kParts = 0, kDatasheets = 1, kRelations = 2 };

std::string numbered(const char* format, int n) {
  char text[64];
  std::snprintf(text, sizeof text, format, n);
  return text;
}

bool hasDatasheet(int part) { return part % 10 == 0; }
// The part the Alternate attribute of a part with a datasheet names: the next one, so that the
// reference points forward as often in real libraries.
int alternateOf(int part, int parts) { return (part + 1) % parts; }

struct PartFields {
  std::string itemId, name, value, unit, tolerance, package, manufacturer, description;
};

PartFields partFields(int part) {
  static const char* const kPackages[] = {"0402", "0603", "0805", "1206"};
  static const char* const kMakers[] = {"Yageo", "O'Neil Components", "Vishay", "Panasonic"};
  static const char* const kUnits[] = {"Ohm", "kOhm", "MOhm"};
  PartFields f;
  f.itemId = numbered("BP-%07d", part);
  f.name = numbered("Bench part %d", part);
  f.value = std::to_string(part % 1000 + 1);
  f.unit = kUnits[part % 3];
  f.tolerance = part % 2 == 0 ? "1%" : "5%";
  f.package = kPackages[part % 4];
  f.manufacturer = kMakers[part / 4 % 4];
  f.description = numbered("Thick film resistor, series %d", part % 97);
  return f;
}

std::string datasheetName(int datasheet) { return numbered("DS-%07d.pdf", datasheet); }
std::string datasheetFolder(int datasheet) { return numbered("datasheets/%03d", datasheet % 100); }

}  // namespace

const std::vector<TableShape>& benchTables() {
  static const std::vector<TableShape> tables = {
      {"Parts",
       "Parts0",
       {"PartNumber", "PartName", "PartType", "Value", "Tolerance", "Package", "Manufacturer",
        "Description", "Alternate"}},
      {"Datasheets", "Datasheets0", {"DocumentName", "DocumentType", "Folder"}},
      {"Relations", "", {"PrimaryTable", "PrimaryID", "SecondaryTable", "SecondaryID", "Relation"}},
  };
  return tables;
}

int datasheetCount(int parts) { return parts <= 0 ? 0 : (parts + 9) / 10; }

int tableRowCount(size_t table, int parts) {
  switch (table) {
    case kParts:
      return parts;
    case kDatasheets:
    case kRelations:
      return datasheetCount(parts);
    default:
      return 0;
  }
}

long long totalRowCount(int parts) {
  long long total = 0;
  for (size_t t = 0; t < benchTables().size(); ++t) total += tableRowCount(t, parts);
  return total;
}

void tableRow(size_t table, int index, int parts, std::vector<std::string>* row) {
  row->clear();
  switch (table) {
    case kParts: {
      PartFields f = partFields(index);
      std::string alternate;
      if (hasDatasheet(index)) {
        alternate = std::string("Parts") + kPartSeparator +
                    std::to_string(alternateOf(index, parts) + 1) + kPartSeparator + "Reference";
      }
      *row = {f.itemId,    f.name,    kPartType,      f.value + kPartSeparator + f.unit,
              f.tolerance, f.package, f.manufacturer, f.description,
              alternate};
      break;
    }
    case kDatasheets:
      *row = {datasheetName(index), kDatasheetType, datasheetFolder(index)};
      break;
    case kRelations:
      *row = {"Parts", std::to_string(index * 10 + 1), "Datasheets", std::to_string(index + 1),
              kRelationType};
      break;
    default:
      break;
  }
}

void buildLibrary(int parts, EDALibrary* library) {
  library->setName("Transfer benchmark");
  std::vector<EDAItem*> items;
  items.reserve(parts > 0 ? parts : 0);
  for (int i = 0; i < parts; ++i) {
    PartFields f = partFields(i);
    EDAItem* item = library->createItem(f.itemId, f.name, kPartType);
    item->setCategory("Resistor");
    item->setReleaseStatus("Released");
    item->setRevision("A");
    EDAAttribute* value = item->getOrCreateAttribute("Value");
    value->setValue(f.value);
    value->setUnit(f.unit);
    item->getOrCreateAttribute("Tolerance")->setValue(f.tolerance);
    item->getOrCreateAttribute("Package")->setValue(f.package);
    item->getOrCreateAttribute("Manufacturer")->setValue(f.manufacturer);
    item->getOrCreateAttribute("Description")->setValue(f.description);
    items.push_back(item);
  }
  // References and datasheets once every part exists, since a reference names a later part.
  for (int i = 0; i < parts; i += 10) {
    EDAAttribute* alternate = items[i]->getOrCreateAttribute("Alternate");
    alternate->setType("Reference");
    alternate->setValue(items[alternateOf(i, parts)]->getElemId());
    const int d = i / 10;
    EDADataset* datasheet = library->createDataset(datasheetName(d), kDatasheetType);
    datasheet->setFolder(datasheetFolder(d));
    items[i]->addRelation(kRelationType, datasheet);
  }
}

bool LibrarySummary::operator==(const LibrarySummary& o) const {
  return items == o.items && datasets == o.datasets &&
         itemsWithFiveAttributes == o.itemsWithFiveAttributes &&
         itemsWithDatasheet == o.itemsWithDatasheet && resolvedReferences == o.resolvedReferences;
}

LibrarySummary summarize(const EDALibrary& library) {
  static const char* const kPlain[] = {"Value", "Tolerance", "Package", "Manufacturer",
                                       "Description"};
  LibrarySummary summary;
  std::vector<EDAWorkspaceObject*> objects;
  library.getObjects("EDADataset", &objects);
  summary.datasets = static_cast<long long>(objects.size());
  library.getObjects("EDAItem", &objects);
  summary.items = static_cast<long long>(objects.size());
  for (EDAWorkspaceObject* object : objects) {
    bool allPlain = true;
    for (const char* name : kPlain) {
      const EDAAttribute* a = object->getAttribute(name);
      allPlain = allPlain && a != nullptr && !a->getValue().empty();
    }
    if (allPlain) ++summary.itemsWithFiveAttributes;
    // Any relation type: an export links the objects it rebuilds without one.
    for (const EDARelation* relation : object->getRelations()) {
      const EDAObject* secondary = relation->getSecondary();
      if (secondary != nullptr && secondary->getClassName() == "EDADataset") {
        ++summary.itemsWithDatasheet;
        break;
      }
    }
    const EDAAttribute* alternate = object->getAttribute("Alternate");
    if (alternate != nullptr && alternate->isReference()) {
      const EDAWorkspaceObject* target = library.findObject(alternate->getValue());
      if (target != nullptr && target->getClassName() == "EDAItem") ++summary.resolvedReferences;
    }
  }
  return summary;
}

LibrarySummary expectedSummary(int parts) {
  LibrarySummary summary;
  summary.items = parts;
  summary.datasets = datasheetCount(parts);
  summary.itemsWithFiveAttributes = parts;
  summary.itemsWithDatasheet = datasheetCount(parts);
  summary.resolvedReferences = datasheetCount(parts);
  return summary;
}

std::string describe(const LibrarySummary& s) {
  return "items=" + std::to_string(s.items) + ",datasets=" + std::to_string(s.datasets) +
         ",five_attributes=" + std::to_string(s.itemsWithFiveAttributes) +
         ",with_datasheet=" + std::to_string(s.itemsWithDatasheet) +
         ",references=" + std::to_string(s.resolvedReferences);
}

}  // namespace transfer_bench
