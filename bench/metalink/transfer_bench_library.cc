#include "transfer_bench_library.h"

#include <cstdio>
#include <ctime>
#include <memory>

#include "library/eda_library.h"
#include "util/cell_text.h"

namespace transfer_bench {
namespace {

constexpr char kPartType[] = "Part";
constexpr char kDatasheetType[] = "Datasheet";
constexpr char kRelationType[] = "QREL_reference";
// The separator of a cell's parts, as the connector writes it.

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

// Identities in the file: eight per part (the item, up to six attributes, its relation), then one
// per datasheet.
long long partId(int part) { return 2 + 8LL * part; }
long long datasheetId(int datasheet, int parts) { return partId(parts) + datasheet; }

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void writeAttribute(std::FILE* f, long long id, const char* name, const std::string& value,
                    const std::string& unit, const char* type) {
  std::fprintf(f,
               "    <ecad:attr elemId=\"id%lld\" name=\"%s\" value=\"%s\" unit=\"%s\" "
               "type=\"%s\" required=\"false\"/>\n",
               id, name, escaped(value).c_str(), escaped(unit).c_str(), type);
}

std::string today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return "";
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
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
        alternate = std::string("Parts") + cell_text::kPartSeparatorUtf8 +
                    std::to_string(alternateOf(index, parts) + 1) + cell_text::kPartSeparatorUtf8 +
                    "Reference";
      }
      *row = {
          f.itemId,    f.name,    kPartType,      f.value + cell_text::kPartSeparatorUtf8 + f.unit,
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

bool writeLibraryFile(int parts, const std::string& path, std::string* error) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w"));
  if (file == nullptr) {
    *error = "cannot write " + path;
    return false;
  }
  std::FILE* f = file.get();
  std::fprintf(f, "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\n");
  std::fprintf(f, "<ecad:edaLib xmlns:ecad=\"http://www.morvane.com/Schemas/ecadlib\">\n");
  std::fprintf(f,
               "  <ecad:library elemId=\"id1\" name=\"Transfer benchmark\" folder=\"\" "
               "exportDate=\"%s\"/>\n",
               today().c_str());
  for (int i = 0; i < parts; ++i) {
    const PartFields p = partFields(i);
    const long long id = partId(i);
    std::fprintf(f,
                 "  <ecad:item elemId=\"id%lld\" itemId=\"%s\" name=\"%s\" type=\"%s\" "
                 "category=\"Resistor\" libraryId=\"id1\" releaseStatus=\"Released\" "
                 "revision=\"A\">\n",
                 id, escaped(p.itemId).c_str(), escaped(p.name).c_str(), kPartType);
    // Attributes in byte order of their names, as a library writes them.
    if (hasDatasheet(i)) {
      writeAttribute(f, id + 1, "Alternate", "id" + std::to_string(partId(alternateOf(i, parts))),
                     "", "Reference");
    }
    writeAttribute(f, id + 2, "Description", p.description, "", "String");
    writeAttribute(f, id + 3, "Manufacturer", p.manufacturer, "", "String");
    writeAttribute(f, id + 4, "Package", p.package, "", "String");
    writeAttribute(f, id + 5, "Tolerance", p.tolerance, "", "String");
    writeAttribute(f, id + 6, "Value", p.value, p.unit, "String");
    std::fprintf(f, "  </ecad:item>\n");
    if (hasDatasheet(i)) {
      std::fprintf(f,
                   "  <ecad:relation elemId=\"id%lld\" secondary=\"id%lld\" primary=\"id%lld\" "
                   "type=\"%s\"/>\n",
                   id + 7, datasheetId(i / 10, parts), id, kRelationType);
    }
  }
  for (int d = 0; d < datasheetCount(parts); ++d) {
    std::fprintf(f, "  <ecad:dataset elemId=\"id%lld\" name=\"%s\" type=\"%s\" folder=\"%s\"/>\n",
                 datasheetId(d, parts), escaped(datasheetName(d)).c_str(), kDatasheetType,
                 escaped(datasheetFolder(d)).c_str());
  }
  std::fprintf(f, "</ecad:edaLib>\n");
  if (std::ferror(f) != 0 || std::fflush(f) != 0) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

bool LibrarySummary::operator==(const LibrarySummary& o) const {
  return items == o.items && datasheets == o.datasheets &&
         itemsWithFiveAttributes == o.itemsWithFiveAttributes &&
         itemsWithDatasheet == o.itemsWithDatasheet && resolvedReferences == o.resolvedReferences;
}

LibrarySummary summarize(const EDALibrary& library) {
  static const char* const kPlain[] = {"Value", "Tolerance", "Package", "Manufacturer",
                                       "Description"};
  LibrarySummary summary;
  std::vector<EDAWorkspaceObject*> objects;
  // By type, whatever the class: an export rebuilds datasheets as GDE objects.
  library.getObjects(kDatasheetType, &objects);
  summary.datasheets = static_cast<long long>(objects.size());
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
      const auto* secondary = dynamic_cast<const EDAWorkspaceObject*>(relation->getSecondary());
      if (secondary != nullptr && secondary->getType() == kDatasheetType) {
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
  summary.datasheets = datasheetCount(parts);
  summary.itemsWithFiveAttributes = parts;
  summary.itemsWithDatasheet = datasheetCount(parts);
  summary.resolvedReferences = datasheetCount(parts);
  return summary;
}

std::string describe(const LibrarySummary& s) {
  return "items=" + std::to_string(s.items) + ",datasheets=" + std::to_string(s.datasheets) +
         ",five_attributes=" + std::to_string(s.itemsWithFiveAttributes) +
         ",with_datasheet=" + std::to_string(s.itemsWithDatasheet) +
         ",references=" + std::to_string(s.resolvedReferences);
}

}  // namespace transfer_bench
