#include <gtest/gtest.h>

#include <cctype>
#include <ctime>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "../syncmap/xml_test_support.h"
#include "library/eda_library.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace {

using xmltest::ScratchTest;

std::string today() {
  std::tm local;
  if (!platform::localTime(std::time(nullptr), &local)) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday);
  return text;
}

// The document with the export date blanked and every identity ("id<n>" as a whole attribute
// value) renamed by order of first appearance, so two files that differ only in numbering match.
std::string normalise(const std::string& document) {
  std::map<std::string, std::string> renamed;
  std::string out;
  size_t i = 0;
  while (i < document.size()) {
    static const std::string kDate = "exportDate=\"";
    if (document.compare(i, kDate.size(), kDate) == 0) {
      const size_t close = document.find('"', i + kDate.size());
      if (close != std::string::npos) {
        out += "exportDate=\"\"";
        i = close + 1;
        continue;
      }
    }
    // A whole attribute value "id<n>" or "id-<n>".
    if (document.compare(i, 3, "\"id") == 0) {
      size_t j = i + 3;
      if (j < document.size() && document[j] == '-') ++j;
      const size_t digits = j;
      while (j < document.size() && std::isdigit(static_cast<unsigned char>(document[j]))) ++j;
      if (j > digits && j < document.size() && document[j] == '"') {
        auto& name = renamed[document.substr(i, j + 1 - i)];
        if (name.empty()) name = "\"#" + std::to_string(renamed.size()) + "\"";
        out += name;
        i = j + 1;
        continue;
      }
    }
    out += document[i++];
  }
  return out;
}

EDAWorkspaceObject* secondaryOf(EDAContextObject* object, size_t index) {
  const auto relations = object->getRelations();
  if (index >= relations.size()) return nullptr;
  return dynamic_cast<EDAWorkspaceObject*>(relations[index]->getSecondary());
}

class LibraryXmlTest : public ScratchTest {
 protected:
  // Saves, loads into a fresh library, saves again; both files must match but for numbering.
  void expectStableRoundTrip(EDALibrary& library, EDALibrary* reloaded) {
    const std::string first = path("first.xml");
    const std::string second = path("second.xml");
    ASSERT_TRUE(library.save(first.c_str())) << library.getLastError();
    ASSERT_TRUE(reloaded->load(first.c_str())) << reloaded->getLastError();
    ASSERT_TRUE(reloaded->save(second.c_str())) << reloaded->getLastError();
    EXPECT_EQ(normalise(read(first)), normalise(read(second)));
  }
};

TEST_F(LibraryXmlTest, EmptyLibraryIsTheRootWithOneLibraryElement) {
  EDALibrary library;
  const std::string file = path("EDALib.xml");
  ASSERT_TRUE(library.save(file.c_str()));
  EXPECT_EQ(read(file),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>"
            "<ecad:edaLib xmlns:ecad=\"http://www.morvane.com/Schemas/ecadlib\">"
            "<ecad:library elemId=\"id1\" name=\"\" folder=\"\" exportDate=\"" +
                today() + "\"/></ecad:edaLib>");
}

TEST_F(LibraryXmlTest, WritesElementsAndAttributesInTheirDocumentedOrder) {
  EDALibrary library;
  library.setName("Lib");
  library.setFolder("C:\\lib");
  EDAItem* res = library.createItem("A-1", "Res", "Part");  // id2
  res->setCategory("Resistor");
  res->setReleaseStatus("Released");
  res->setRevision("B");
  res->getOrCreateAttribute("a")->setValue("1");       // id3
  EDAAttribute* big = res->getOrCreateAttribute("B");  // id4
  big->setValue("10");
  big->setUnit("kOhm");
  big->setRequired(true);
  EDAItem* cap = library.createItem("A-2", "Cap", "Part");  // id5
  cap->setValue("releaseStatus", "Draft", false);           // Items write the property.
  res->addRelation(cap);                                    // id6: no type, none written
  EDAGde* footprint = library.createGde("F", "Footprint");  // id7
  footprint->setReleaseStatus("Released");
  footprint->setValue("releaseStatus", "Draft", false);             // GDE objects write the field.
  EDADataset* sheet = library.createDataset("Sheet", "Datasheet");  // id8
  sheet->setFolder("docs");
  footprint->addRelation("QREL_reference", sheet);  // id9
  sheet->addRelation(res);                          // id10: relations of datasets are not written
  cap->addRelation("view", footprint);              // id11

  const std::string file = path("EDALib.xml");
  ASSERT_TRUE(library.save(file.c_str())) << library.getLastError();
  EXPECT_EQ(read(file),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>"
            "<ecad:edaLib xmlns:ecad=\"http://www.morvane.com/Schemas/ecadlib\">"
            "<ecad:library elemId=\"id1\" name=\"Lib\" folder=\"C:\\lib\" exportDate=\"" +
                today() +
                "\"/>"
                "<ecad:item elemId=\"id2\" itemId=\"A-1\" name=\"Res\" type=\"Part\" "
                "category=\"Resistor\" libraryId=\"id1\" releaseStatus=\"Released\" revision=\"B\">"
                "<ecad:attr elemId=\"id4\" name=\"B\" value=\"10\" unit=\"kOhm\" type=\"String\" "
                "required=\"true\"/>"
                "<ecad:attr elemId=\"id3\" name=\"a\" value=\"1\" unit=\"\" type=\"String\" "
                "required=\"false\"/>"
                "</ecad:item>"
                "<ecad:relation elemId=\"id6\" secondary=\"id5\" primary=\"id2\"/>"
                "<ecad:item elemId=\"id5\" itemId=\"A-2\" name=\"Cap\" type=\"Part\" category=\"\" "
                "libraryId=\"id1\" releaseStatus=\"Draft\" revision=\"\"/>"
                "<ecad:relation elemId=\"id11\" secondary=\"id7\" primary=\"id5\" type=\"view\"/>"
                "<ecad:gde elemId=\"id7\" name=\"F\" type=\"Footprint\" libraryId=\"id1\" "
                "releaseStatus=\"Released\"/>"
                "<ecad:relation elemId=\"id9\" secondary=\"id8\" primary=\"id7\" "
                "type=\"QREL_reference\"/>"
                "<ecad:dataset elemId=\"id8\" name=\"Sheet\" type=\"Datasheet\" folder=\"docs\"/>"
                "</ecad:edaLib>");
}

// Items of several types with units, references (forward to a dataset, back to an item),
// relations of every kind, GDE objects and datasets.
void buildGeneratedLibrary(EDALibrary* library, int count) {
  library->setName("Generated");
  library->setFolder("C:\\gen");
  std::vector<EDAItem*> items;
  const char* types[] = {"Resistor", "Capacitor", "IC"};
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    EDAItem* item = library->createItem("P-" + n, "Part " + n, types[i % 3]);
    item->setCategory(i % 2 ? "Passive" : "passive");
    item->setRevision(std::string(1, static_cast<char>('A' + i % 26)));
    EDAAttribute* value = item->getOrCreateAttribute("Value");
    value->setValue(n);
    value->setUnit(i % 2 ? "kOhm" : "nF");
    item->getOrCreateAttribute("Note")->setValue("R&D <" + n + "> \"q\"\n\u00b5");
    items.push_back(item);
  }
  std::vector<EDAGde*> gdes;
  for (int i = 0; i < count / 2 + 1; ++i) {
    gdes.push_back(library->createGde("FP-" + std::to_string(i), "Footprint"));
  }
  std::vector<EDADataset*> datasets;
  for (int i = 0; i < count / 3 + 1; ++i) {
    EDADataset* sheet = library->createDataset("Sheet-" + std::to_string(i), "Datasheet");
    sheet->setFolder("docs/" + std::to_string(i));
    datasets.push_back(sheet);
  }
  for (int i = 0; i < count; ++i) {
    EDAItem* item = items[i];
    item->addRelation("view", gdes[i / 2]);
    item->addRelation("QREL_reference", datasets[i / 3]);
    if (i > 0) item->addRelation(items[i - 1]);
    EDAAttribute* sheet = item->getOrCreateAttribute("Sheet");
    sheet->setType("Reference");
    sheet->setValue(datasets[i / 3]->getElemId());
    if (i > 0) {
      EDAAttribute* previous = item->getOrCreateAttribute("Previous");
      previous->setType("reference");
      previous->setRequired(true);
      previous->setValue(items[i - 1]->getElemId());
    }
  }
  gdes[0]->addRelation("model", datasets[0]);
  gdes[1]->getOrCreateAttribute("folder")->setValue("lib/fp");
  datasets[0]->addRelation(items[0]);
}

TEST_F(LibraryXmlTest, GeneratedLibrarySurvivesSaveLoadSave) {
  EDALibrary library;
  buildGeneratedLibrary(&library, 12);
  EDALibrary reloaded;
  expectStableRoundTrip(library, &reloaded);

  EXPECT_EQ(reloaded.countObjects("EDAItem"), 12u);
  EXPECT_EQ(reloaded.countObjects("EDAGde"), 7u);
  EXPECT_EQ(reloaded.countObjects("EDADataset"), 5u);
  EXPECT_EQ(reloaded.getName(), "Generated");
  EXPECT_EQ(reloaded.getCategories(), (std::set<std::string>{"Passive", "passive"}));
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    const std::string n = std::to_string(i);
    EDAItem* item = reloaded.findItem(i % 3 == 0   ? "Resistor"
                                      : i % 3 == 1 ? "Capacitor"
                                                   : "IC",
                                      "P-" + n);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->getRevision(), std::string(1, static_cast<char>('A' + i)));
    EXPECT_EQ(item->getAttribute("Value")->getUnit(), i % 2 ? "kOhm" : "nF");
    EXPECT_EQ(item->getAttribute("Note")->getValue(), "R&D <" + n + "> \"q\"\n\u00b5");
    // The forward reference to a dataset now names the dataset's new identity.
    const EDAWorkspaceObject* sheet = reloaded.findObject(item->getAttribute("Sheet")->getValue());
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->getName(), "Sheet-" + std::to_string(i / 3));
    if (i > 0) {
      const EDAAttribute* previous = item->getAttribute("Previous");
      EXPECT_TRUE(previous->isRequired());
      const auto* target = dynamic_cast<const EDAItem*>(reloaded.findObject(previous->getValue()));
      ASSERT_NE(target, nullptr);
      EXPECT_EQ(target->getItemId(), "P-" + std::to_string(i - 1));
    }
    // Relations come back in order with their types; an untyped one stays untyped.
    ASSERT_EQ(item->getRelations().size(), i > 0 ? 3u : 2u);
    EXPECT_EQ(item->getRelations()[0]->getRelationType(), "view");
    EXPECT_EQ(item->getRelations()[1]->getRelationType(), "QREL_reference");
    if (i > 0) {
      EXPECT_EQ(item->getRelations()[2]->getRelationType(), "");
    }
    EXPECT_EQ(secondaryOf(item, 0)->getName(), "FP-" + std::to_string(i / 2));
    EXPECT_EQ(secondaryOf(item, 1)->getName(), "Sheet-" + std::to_string(i / 3));
  }
  // GDE objects keep their attributes through the file.
  const EDAGde* footprint = reloaded.findGde("Footprint", "FP-1");
  ASSERT_NE(footprint, nullptr);
  ASSERT_NE(footprint->getAttribute("folder"), nullptr);
  EXPECT_EQ(footprint->getAttribute("folder")->getValue(), "lib/fp");
  EXPECT_EQ(reloaded.findGde("Footprint", "FP-0")->getRelations()[0]->getRelationType(), "model");
  std::vector<EDAWorkspaceObject*> datasets;
  reloaded.getObjects("EDADataset", &datasets);
  EXPECT_TRUE(datasets[0]->getRelations().empty());
  EXPECT_EQ(static_cast<EDADataset*>(datasets[4])->getFolder(), "docs/4");
}

TEST_F(LibraryXmlTest, SampleLibraryLoadsAndSurvivesSaveLoadSave) {
  const std::string sample = std::string(EDA_SOURCE_DIR) + "/examples/EDALib.xml";
  EDALibrary library;
  ASSERT_TRUE(library.load(sample.c_str())) << library.getLastError();
  EXPECT_TRUE(library.getLastError().empty()) << library.getLastError();
  EXPECT_EQ(library.getName(), "Morvane Standard Parts");
  EXPECT_EQ(library.getFolder(), "C:\\EDA\\Libraries\\Standard");
  EXPECT_EQ(library.countObjects("EDAItem"), 13u);
  EXPECT_EQ(library.countObjects({"Resistor", "Capacitor", "IC"}), 13u);
  EXPECT_EQ(library.countObjects("Footprint"), 8u);
  EXPECT_EQ(library.countObjects("Symbol"), 6u);
  EXPECT_EQ(library.countObjects("EDADataset"), 10u);
  EXPECT_EQ(library.getCategories(),
            (std::set<std::string>{"Amplifier", "Capacitor", "Microcontroller", "Resistor", "Timer",
                                   "Voltage Regulator"}));

  EDAItem* resistor = library.findItem("Resistor", "r-10k-0603");
  ASSERT_NE(resistor, nullptr);
  EXPECT_EQ(resistor->getAttribute("Resistance")->getUnit(), "kOhm");
  const auto* second = dynamic_cast<EDAItem*>(
      library.findObject(resistor->getAttribute("SecondSource")->getValue()));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->getItemId(), "R-10K-0603-P");
  std::vector<EDAWorkspaceObject*> footprints;
  resistor->getSecondaryObjects("view", "Footprint", &footprints);
  ASSERT_EQ(footprints.size(), 1u);
  EXPECT_EQ(footprints[0]->getName(), "R_0603_1608Metric");
  ASSERT_NE(resistor->getDataset(), nullptr);
  EXPECT_EQ(resistor->getDataset()->getName(), "Yageo RC series");

  EDAItem* opamp = library.findItem("IC", "U-LM358-SO8");
  ASSERT_NE(opamp, nullptr);
  const EDAWorkspaceObject* sheet =
      library.findObject(opamp->getAttribute("Datasheet")->getValue());
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->getClassName(), "EDADataset");
  EXPECT_EQ(sheet->getName(), "TI LM358 datasheet");

  EDALibrary reloaded;
  expectStableRoundTrip(library, &reloaded);
}

// One document for the reading rules: no namespace anywhere, attribute names in any case, an
// item nested in another element, an entry child of another name, a skipped item, dangling and
// half relations, an element in a foreign namespace.
const char* const kReadingRules = R"(<?xml version="1.0"?>
<lib>
  <library elemId="x" name="L" folder="C:/lib//parts" exportDate="y"/>
  <group>
    <item ELEMID="f1" ITEMID="A" Name="n" TYPE="Part" Category="Resistor" libraryId="zzz"
          releaseStatus="">
      <attr name="Tol" value="1%" unit="" type="String" required="TRUE"/>
      <note NAME="Extra" VALUE="v"/>
      <attr value="no name"/>
      <attr name="Ref" value="f3" type="reference"/>
    </item>
  </group>
  <item elemId="f2" itemId="B" name="n" type="Part" category="resistor">
    <attr name="Ref" value="f9" type="Reference"/>
    <attr name="Gone" value="f5" type="Reference"/>
    <attr name="Empty" value="" type="Reference"/>
  </item>
  <item elemId="f5" name="noId" type="Part"><attr name="Lost" value="x"/></item>
  <gde elemId="f4" name="G" type="Footprint" libraryId="q" releaseStatus="Released"/>
  <dataset elemId="f3" name="D" type="Datasheet" folder="docs"/>
  <relation primary="f1" secondary="f4" type="view"/>
  <relation primary="f1" secondary="f5"/>
  <relation secondary="f4"/>
  <relation primary="f2" secondary="f1"/>
  <o:item xmlns:o="urn:other" elemId="o" itemId="O" name="o" type="Part"/>
</lib>
)";

TEST_F(LibraryXmlTest, ReadsByTheReadingRules) {
  EDALibrary library;
  const std::string file = write("rules.xml", kReadingRules);
  ASSERT_TRUE(library.load(file.c_str())) << library.getLastError();
  EXPECT_EQ(library.getName(), "L");
  EXPECT_EQ(library.getFolder(), "C:\\lib\\parts");
  EXPECT_EQ(library.countObjects("EDAItem"), 2u);
  EXPECT_EQ(library.getCategories(), (std::set<std::string>{"Resistor", "resistor"}));

  EDAItem* a = library.findItem("Part", "A");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->getCategory(), "Resistor");
  EXPECT_EQ(a->getLibraryId(), "id1");
  std::vector<EDAAttribute*> attributes;
  a->getAttributes(&attributes);
  ASSERT_EQ(attributes.size(), 3u);
  EXPECT_TRUE(a->getAttribute("Tol")->isRequired());
  EXPECT_EQ(a->getAttribute("Extra")->getValue(), "v");
  const EDAWorkspaceObject* dataset = library.findObject(a->getAttribute("Ref")->getValue());
  ASSERT_NE(dataset, nullptr);
  EXPECT_EQ(dataset->getName(), "D");
  ASSERT_EQ(a->getRelations().size(), 1u);
  EXPECT_EQ(a->getRelations()[0]->getRelationType(), "view");
  EXPECT_EQ(secondaryOf(a, 0)->getName(), "G");

  EDAItem* b = library.findItem("Part", "B");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->getAttribute("Ref")->getValue(), "f9");
  EXPECT_EQ(b->getAttribute("Gone")->getValue(), "f5");
  EXPECT_EQ(b->getAttribute("Empty")->getValue(), "");
  ASSERT_EQ(b->getRelations().size(), 1u);
  EXPECT_EQ(b->getRelations()[0]->getSecondary(), a);

  EDAGde* g = library.findGde("Footprint", "G");
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->getLibraryId(), "id1");
  EXPECT_EQ(g->getReleaseStatus(), "");

  // One WARN line per unresolved reference, the last one kept as the error.
  const std::string tail = " because the referenced object cannot be found";
  EXPECT_EQ(library.getLastError(), "Invalid reference attribute Empty" + tail);
  const auto lines = logLines();
  ASSERT_EQ(lines.size(), 3u);
  const char* names[] = {"Ref", "Gone", "Empty"};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(lines[i].substr(0, 6), "WARN  ");
    ASSERT_GT(lines[i].size(), 26u);
    EXPECT_EQ(lines[i].substr(26), std::string("Invalid reference attribute ") + names[i] + tail);
  }
}

TEST_F(LibraryXmlTest, FindsNamespacedElementsAtAnyDepthOnlyInTheRootsNamespace) {
  EDALibrary library;
  const std::string file = write("nested.xml", R"(<e:edaLib xmlns:e="urn:lib" xmlns="urn:lib">
    <e:section><e:sub><e:item elemId="1" itemId="A" name="a" type="Part"/></e:sub></e:section>
    <item elemId="2" itemId="B" name="b" type="Part"/>
    <item xmlns="" elemId="3" itemId="C" name="c" type="Part"/>
    <x:item xmlns:x="urn:other" elemId="4" itemId="D" name="d" type="Part"/>
    <e:library name="first"/><e:library name="last"/>
  </e:edaLib>)");
  ASSERT_TRUE(library.load(file.c_str())) << library.getLastError();
  EXPECT_TRUE(library.hasItem("Part", "A"));
  EXPECT_TRUE(library.hasItem("Part", "B"));
  EXPECT_FALSE(library.hasItem("Part", "C"));
  EXPECT_FALSE(library.hasItem("Part", "D"));
  EXPECT_EQ(library.getName(), "last");
}

TEST_F(LibraryXmlTest, ReferenceIsRewrittenOnceWhenTheItemRepeatsTheEntry) {
  // Read in order, X gets id2 and Y id3; a second rewrite of Y's reference would look "id2" up
  // among the file's identities and land on Y itself.
  EDALibrary library;
  const std::string file = write("repeat.xml", R"(<lib>
    <item elemId="id7" itemId="X" name="x" type="Part"/>
    <item elemId="id2" itemId="Y" name="y" type="Part">
      <attr name="Ref" value="id7" type="Reference"/>
      <attr name="Ref" value="id7" type="Reference"/>
      <attr name="Was" value="id7" type="Reference"/>
      <attr name="Was" type="String"/>
    </item></lib>)");
  ASSERT_TRUE(library.load(file.c_str()));
  EDAItem* x = library.findItem("Part", "X");
  EDAItem* y = library.findItem("Part", "Y");
  EXPECT_EQ(library.findObject(y->getAttribute("Ref")->getValue()), x);
  EXPECT_EQ(y->getAttribute("Was")->getValue(), "id7");  // No longer a reference.
}

// References to objects read earlier are resolved as the file is read, the others at its end;
// either way a reference lands on the first claim of its identity. Numbers out of order, and a
// later claim of a number already taken, must not change where a reference lands.
TEST_F(LibraryXmlTest, ReferencesLandOnTheFirstClaimWhateverTheOrderOfTheFile) {
  EDALibrary library;
  const std::string file = write("claims.xml", R"(<lib>
    <item elemId="id1" itemId="A" name="a" type="Part"/>
    <item elemId="id2" itemId="B" name="b" type="Part">
      <attr name="Back" value="id1" type="Reference"/>
      <attr name="Forward" value="id8" type="Reference"/>
      <attr name="Self" value="id2" type="Reference"/>
    </item>
    <item elemId="id1" itemId="C" name="c" type="Part"/>
    <item elemId="id9" itemId="D" name="d" type="Part"/>
    <item elemId="id8" itemId="E" name="e" type="Part">
      <attr name="Back" value="id9" type="Reference"/>
      <attr name="Again" value="id1" type="Reference"/>
    </item>
    <item elemId="id5" itemId="G" name="g" type="Part"/>
    <item elemId="id5" itemId="H" name="h" type="Part"/>
    <item elemId="id9" itemId="F" name="f" type="Part">
      <attr name="Low" value="id5" type="Reference"/>
    </item>
  </lib>)");
  ASSERT_TRUE(library.load(file.c_str())) << library.getLastError();
  EDAItem* a = library.findItem("Part", "A");
  EDAItem* b = library.findItem("Part", "B");
  EDAItem* d = library.findItem("Part", "D");
  EDAItem* e = library.findItem("Part", "E");
  ASSERT_TRUE(a && b && d && e);
  const auto target = [&](EDAItem* item, const char* name) {
    return library.findObject(item->getAttribute(name)->getValue());
  };
  EXPECT_EQ(target(b, "Back"), a);
  EXPECT_EQ(target(b, "Forward"), e);
  EXPECT_EQ(target(b, "Self"), b);
  EXPECT_EQ(target(e, "Back"), d);
  EXPECT_EQ(target(e, "Again"), a);
  // A number below those before it, claimed twice, still goes to its first claim.
  EXPECT_EQ(target(library.findItem("Part", "F"), "Low"), library.findItem("Part", "G"));
  EXPECT_TRUE(logLines().empty());
}

TEST_F(LibraryXmlTest, LoadReplacesTheContentAndKeepsNameWithoutLibraryElement) {
  EDALibrary library;
  library.setName("Kept");
  library.createItem("OLD", "old", "Part");
  const std::string file = write("plain.xml",
                                 "<lib><item elemId=\"a\" itemId=\"NEW\" "
                                 "name=\"new\" type=\"Part\"/></lib>");
  ASSERT_TRUE(library.load(file.c_str()));
  EXPECT_FALSE(library.hasItem("Part", "OLD"));
  EXPECT_TRUE(library.hasItem("Part", "NEW"));
  EXPECT_EQ(library.getName(), "Kept");
}

TEST_F(LibraryXmlTest, RefusesBrokenAndHostileFilesAndKeepsTheLibrary) {
  EDALibrary source;
  buildGeneratedLibrary(&source, 3);
  const std::string valid = path("valid.xml");
  ASSERT_TRUE(source.save(valid.c_str()));
  for (const auto& bad : xmltest::badDocuments(read(valid))) {
    SCOPED_TRACE(bad.label);
    EDALibrary library;
    library.setName("Before");
    library.createItem("KEEP", "keep", "Part");
    const std::string file = write("bad.xml", bad.text);
    EXPECT_FALSE(library.load(file.c_str()));
    EXPECT_EQ(library.getLastError().rfind(
                  "Fail to load the edalib.xml file from " + file + " because ", 0),
              0u)
        << library.getLastError();
    EXPECT_TRUE(library.hasItem("Part", "KEEP"));
    EXPECT_EQ(library.getName(), "Before");
  }
  const auto lines = logLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().substr(0, 6), "ERROR ");
}

TEST_F(LibraryXmlTest, NullOrEmptyPathsFailAtOnce) {
  EDALibrary library;
  EXPECT_FALSE(library.load(nullptr));
  EXPECT_FALSE(library.load(""));
  EXPECT_FALSE(library.save(nullptr));
  EXPECT_FALSE(library.save(""));
  EXPECT_TRUE(library.getLastError().empty());
  EXPECT_TRUE(logLines().empty());
}

TEST_F(LibraryXmlTest, FailedSaveLeavesThePreviousFileAndNoTemporary) {
  const std::string file = write("EDALib.xml", "previous content");
  EDALibrary library;
  library.createItem("A", "bad\x01value", "Part");
  EXPECT_FALSE(library.save(file.c_str()));
  EXPECT_EQ(library.getLastError().rfind("Fail to save EDALib.xml because ", 0), 0u);
  EXPECT_NE(library.getLastError().find("name of item"), std::string::npos)
      << library.getLastError();
  EXPECT_EQ(read(file), "previous content");
  EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));

  const std::string nowhere = path("missing/EDALib.xml");
  EXPECT_FALSE(library.save(nowhere.c_str()));
  EXPECT_EQ(library.getLastError().rfind("Fail to save EDALib.xml because ", 0), 0u);
  const auto lines = logLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].substr(0, 6), "ERROR ");
}

// XML 1.0 cannot carry the control characters below U+0020 other than tab, line feed and
// carriage return, nor U+FFFE and U+FFFF, not even as character references: a file holding one
// is ill-formed and no reader takes it back. The neighbours of each bound are fine.
TEST_F(LibraryXmlTest, OnlyCharactersXmlCarriesAreWritten) {
  const std::string file = path("bounds.xml");
  for (const std::string refused :
       {"\x01", "\x08", "\x0B", "\x0C", "\x1F", "\xEF\xBF\xBE", "\xEF\xBF\xBF"}) {
    SCOPED_TRACE(testing::PrintToString(refused));
    EDALibrary library;
    library.createItem("A", "x" + refused + "y", "Part");
    EXPECT_FALSE(library.save(file.c_str()));
    EXPECT_FALSE(std::filesystem::exists(file)) << "an ill-formed file was left behind";
  }
  const std::string kept = "tab\t lf\n cr\r space\x20 \xEF\xBF\xBD \xF0\x9F\x98\x80";
  EDALibrary library;
  library.createItem("A", "name", "Part")->getOrCreateAttribute("Note")->setValue(kept);
  ASSERT_TRUE(library.save(file.c_str())) << library.getLastError();
  EDALibrary reloaded;
  ASSERT_TRUE(reloaded.load(file.c_str())) << reloaded.getLastError();
  EDAItem* item = reloaded.findItem("Part", "A");
  ASSERT_NE(item, nullptr);
  ASSERT_NE(item->getAttribute("Note"), nullptr);
  EXPECT_EQ(item->getAttribute("Note")->getValue(), kept);
}

TEST_F(LibraryXmlTest, MessagesAreCutToTheBufferSize) {
  EDALibrary library;
  const std::string file = write("long.xml",
                                 "<lib><item elemId=\"a\" itemId=\"A\" name=\"a\" "
                                 "type=\"P\"><attr name=\"" +
                                     std::string(700, 'n') +
                                     "\" value=\"x\" type=\"Reference\"/></item>"
                                     "</lib>");
  ASSERT_TRUE(library.load(file.c_str()));
  EXPECT_EQ(library.getLastError().size(), EDALibrary::kMaxErrorLength);
  EXPECT_EQ(library.getLastError().rfind("Invalid reference attribute nnn", 0), 0u);
}

}  // namespace

// Objects are numbered as if the whole file had been read first: items with their attributes,
// then GDE objects, datasets and relations, whatever the order of the file.
TEST_F(LibraryXmlTest, IdentitiesFollowTheObjectKindsNotTheFileOrder) {
  EDALibrary library;  // id1
  const std::string file = write("order.xml", R"(<lib>
    <relation primary="i" secondary="g" type="view"/>
    <dataset elemId="d" name="D" type="Datasheet"/>
    <gde elemId="g" name="G" type="Footprint"><attr name="Layer" value="top"/></gde>
    <item elemId="i" itemId="A" name="a" type="Part"><attr name="Ref" value="d" type="Reference"/></item>
  </lib>)");
  ASSERT_TRUE(library.load(file.c_str())) << library.getLastError();
  EDAItem* item = library.findItem("Part", "A");
  EDAGde* gde = library.findGde("Footprint", "G");
  ASSERT_NE(item, nullptr);
  ASSERT_NE(gde, nullptr);
  EXPECT_EQ(item->getElemId(), "id2");
  EXPECT_EQ(item->getAttribute("Ref")->getElemId(), "id3");
  EXPECT_EQ(gde->getElemId(), "id4");
  EXPECT_EQ(gde->getAttribute("Layer")->getElemId(), "id5");
  EXPECT_EQ(library.findObject(item->getAttribute("Ref")->getValue())->getElemId(), "id6");
  ASSERT_EQ(item->getRelations().size(), 1u);
  EXPECT_EQ(item->getRelations()[0]->getElemId(), "id7");
  EXPECT_EQ(item->getRelations()[0]->getSecondary(), gde);
}

// Identities spelled as this library writes them and any other text share one index: a text
// finds only the object remembered under the very same text, the first claim of a text wins
// whatever kind of object makes the second, and a spelling that merely reads as the same number
// ("id05", "id-0") names another identity.
TEST_F(LibraryXmlTest, FileIdentitiesResolveByTheirExactText) {
  EDALibrary library;
  const std::string file = write("identities.xml", R"(<lib>
    <item elemId="id5" itemId="A" name="a" type="Part"/>
    <item elemId="id5" itemId="B" name="b" type="Part"/>
    <item elemId="id05" itemId="C" name="c" type="Part"/>
    <item elemId="&#xEF;d5" itemId="E" name="e" type="Part"/>
    <item elemId="x7" itemId="D" name="d" type="Part">
      <attr name="ToFirst" value="id5" type="Reference"/>
      <attr name="ToPadded" value="id05" type="Reference"/>
      <attr name="ToText" value="x7" type="Reference"/>
      <attr name="ToMinusZero" value="id-0" type="Reference"/>
      <attr name="ToAccented" value="&#xEF;d5" type="Reference"/>
      <attr name="Unknown" value="id6" type="Reference"/>
      <attr name="ZeroUnknown" value="id0" type="Reference"/>
    </item>
    <gde elemId="id5" name="G" type="Footprint"/>
    <dataset elemId="id-0" name="S" type="Datasheet"/>
    <relation primary="id5" secondary="id05" type="alt"/>
    <relation primary="x7" secondary="id-0" type="sheet"/>
    <relation primary="id6" secondary="id5" type="none"/>
  </lib>)");
  ASSERT_TRUE(library.load(file.c_str())) << library.getLastError();
  EDAItem* a = library.findItem("Part", "A");
  EDAItem* b = library.findItem("Part", "B");
  EDAItem* c = library.findItem("Part", "C");
  EDAItem* d = library.findItem("Part", "D");
  EDAItem* e = library.findItem("Part", "E");
  EDAGde* g = library.findGde("Footprint", "G");
  ASSERT_TRUE(a && b && c && d && e && g);
  const auto target = [&](const char* name) {
    return library.findObject(d->getAttribute(name)->getValue());
  };
  EXPECT_EQ(target("ToFirst"), a);
  EXPECT_EQ(target("ToPadded"), c);
  EXPECT_EQ(target("ToText"), d);
  ASSERT_NE(target("ToMinusZero"), nullptr);
  EXPECT_EQ(target("ToMinusZero")->getName(), "S");
  EXPECT_EQ(target("ToAccented"), e);
  EXPECT_EQ(d->getAttribute("Unknown")->getValue(), "id6");
  EXPECT_EQ(d->getAttribute("ZeroUnknown")->getValue(), "id0");

  ASSERT_EQ(a->getRelations().size(), 1u);
  EXPECT_EQ(a->getRelations()[0]->getSecondary(), c);
  EXPECT_TRUE(b->getRelations().empty());
  EXPECT_TRUE(g->getRelations().empty());
  ASSERT_EQ(d->getRelations().size(), 1u);
  EXPECT_EQ(d->getRelations()[0]->getRelationType(), "sheet");

  const auto lines = logLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("Invalid reference attribute Unknown because"), std::string::npos);
  EXPECT_NE(lines[1].find("Invalid reference attribute ZeroUnknown because"), std::string::npos);
}

TEST_F(LibraryXmlTest, RefusesElementsNestedBeyondTheLimit) {
  std::string deep = "<lib><item elemId=\"i\" itemId=\"A\" name=\"a\" type=\"Part\"/>";
  for (int i = 0; i < 1000; ++i) deep += "<g>";
  for (int i = 0; i < 1000; ++i) deep += "</g>";
  deep += "</lib>";
  EDALibrary library;
  library.createItem("KEEP", "keep", "Part");
  const std::string file = write("deep.xml", deep);
  EXPECT_FALSE(library.load(file.c_str()));
  EXPECT_EQ(library.getLastError(), "Fail to load the edalib.xml file from " + file +
                                        " because elements are nested more than 1000 levels deep");
  EXPECT_TRUE(library.hasItem("Part", "KEEP"));
  EXPECT_FALSE(library.hasItem("Part", "A"));

  // One level less is read.
  const std::string fits =
      write("fits.xml", deep.replace(deep.find("<g>"), 3, "").replace(deep.rfind("</g>"), 4, ""));
  EXPECT_TRUE(library.load(fits.c_str())) << library.getLastError();
  EXPECT_TRUE(library.hasItem("Part", "A"));
}
