#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "library/eda_library.h"
#include "library/objects_by_number.h"
#include "util/connector_util.h"

namespace {

template <typename T>
std::vector<std::string> idsOf(const std::vector<T*>& objects) {
  std::vector<std::string> out;
  for (const T* o : objects) out.push_back(o->getElemId());
  return out;
}

TEST(ObjectCounterTest, LibraryRestartsTheSequenceAndEveryClassDrawsFromIt) {
  EDALibrary library;
  EXPECT_EQ(library.getElemId(), "id1");
  EDAItem* item = library.createItem("A-100", "Res", "Part");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->getElemId(), "id2");
  EXPECT_EQ(item->getOrCreateAttribute("Tolerance")->getElemId(), "id3");
  EDAGde* gde = library.createGde("R_0603", "Footprint");
  EXPECT_EQ(gde->getElemId(), "id4");
  EXPECT_EQ(item->addRelation("view", gde)->getElemId(), "id5");
  // Refused objects are never built, so they take no number.
  EXPECT_EQ(library.createItem("", "Res", "Part"), nullptr);
  EXPECT_EQ(library.createDataset("Sheet", "Datasheet")->getElemId(), "id6");

  EDALibrary second;
  EXPECT_EQ(second.getElemId(), "id1");
  EXPECT_EQ(second.createItem("B", "n", "t")->getElemId(), "id2");
}

TEST(ObjectModelTest, ClassNamesFollowTheClassTree) {
  EDALibrary library;
  const std::vector<std::pair<const EDAObject*, const char*>> cases = {
      {&library, "EDALibrary"},
      {library.createItem("i", "n", "t"), "EDAItem"},
      {library.createGde("n", "t"), "EDAGde"},
      {library.createDataset("n", "t"), "EDADataset"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.first->getClassName(), c.second);
  EXPECT_EQ(EDAAttribute("a").getClassName(), "EDAAttribute");
  EXPECT_EQ(EDAWorkspaceObject("n", "t").getClassName(), "EDAWorkspaceObject");
  EXPECT_EQ(EDAMasterObject("n", "t").getClassName(), "EDAMasterObject");
  EXPECT_EQ(EDAContextObject().getClassName(), "EDAContextObject");
  EXPECT_EQ(EDAObject().getClassName(), "EDAObject");
}

TEST(ObjectModelTest, FactoriesRefuseMissingIdentityTexts) {
  EXPECT_EQ(EDAItem::create("", "n", "t"), nullptr);
  EXPECT_EQ(EDAItem::create("i", "", "t"), nullptr);
  EXPECT_EQ(EDAItem::create("i", "n", ""), nullptr);
  EXPECT_EQ(EDAGde::create("", "t"), nullptr);
  EXPECT_EQ(EDADataset::create("n", ""), nullptr);
  EXPECT_EQ(EDAWorkspaceObject::create("", ""), nullptr);
  EXPECT_EQ(EDAMasterObject::create("n", ""), nullptr);
  EXPECT_EQ(EDAAttribute::create(""), nullptr);
  EDAGde gde("n", "t");
  EXPECT_EQ(EDARelation::create("x", &gde, nullptr), nullptr);
  EXPECT_EQ(gde.addRelation("x", nullptr), nullptr);
  EXPECT_TRUE(gde.getRelations().empty());
}

TEST(ObjectModelTest, PropertyNamesCarryTheirSettableFlags) {
  struct Case {
    std::unique_ptr<EDAWorkspaceObject> object;
    std::map<std::string, int> expected;
  };
  std::vector<Case> cases;
  const std::map<std::string, int> base = {
      {"name", 0}, {"type", 0}, {"category", 1}, {"releaseStatus", 1}};
  auto withExtra = [&](std::map<std::string, int> extra) {
    extra.insert(base.begin(), base.end());
    return extra;
  };
  cases.push_back({EDAGde::create("n", "t"), base});
  cases.push_back({EDAItem::create("i", "n", "t"), withExtra({{"itemId", 0}, {"revision", 1}})});
  cases.push_back({EDADataset::create("n", "t"), withExtra({{"folder", 1}})});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.object->getClassName());
    std::map<std::string, int> got = {{"stale", 5}};
    c.object->getPropertyNames(&got);
    EXPECT_EQ(got, c.expected);
  }
}

TEST(ObjectModelTest, AttributesOfOneKindShareTheirTextsUntilOneChanges) {
  EDALibrary library;
  std::vector<EDAAttribute*> values;
  for (int i = 0; i < 50; ++i) {
    EDAItem* item = library.createItem("P-" + std::to_string(i), "Part", "Resistor");
    EDAAttribute* value = item->getOrCreateAttribute("Value");
    value->setUnit("kOhm");
    item->getOrCreateAttribute("Package")->setValue("0603");
    values.push_back(value);
  }
  // One copy of the texts serves every attribute of the kind.
  for (const EDAAttribute* value : values) {
    EXPECT_EQ(&value->getName(), &values.front()->getName());
    EXPECT_EQ(&value->getUnit(), &values.front()->getUnit());
  }
  // A change reaches only the attribute it is made on.
  values[7]->setUnit("Ohm");
  values[8]->setType("Reference");
  EXPECT_EQ(values[6]->getUnit(), "kOhm");
  EXPECT_EQ(values[7]->getUnit(), "Ohm");
  EXPECT_EQ(values[7]->getType(), "String");
  EXPECT_TRUE(values[8]->isReference());
  EXPECT_EQ(values[8]->getUnit(), "kOhm");
  EXPECT_FALSE(values[9]->isReference());
  EXPECT_EQ(values[7]->getName(), "Value");

  // Many more kinds than are kept at hand for sharing: each attribute still reads its own texts
  // after the kinds it was made with have been pushed out by others.
  EDAItem* wide = library.createItem("W-1", "Wide", "Connector");
  std::vector<EDAAttribute*> pins;
  for (int k = 0; k < 1000; ++k) {
    EDAAttribute* pin = wide->getOrCreateAttribute("Pin" + std::to_string(k));
    pin->setUnit(std::to_string(k % 7) + "V");
    if (k % 3 == 0) pin->setType("Net");
    pins.push_back(pin);
  }
  for (int k = 0; k < 1000; ++k) {
    EXPECT_EQ(pins[k]->getName(), "Pin" + std::to_string(k));
    EXPECT_EQ(pins[k]->getUnit(), std::to_string(k % 7) + "V");
    EXPECT_EQ(pins[k]->getType(), k % 3 == 0 ? "Net" : "String");
  }
  EXPECT_EQ(values[6]->getUnit(), "kOhm");
}

// Hosts call in from many threads, so an attribute may outlive the thread that made it, and the
// shapes that thread kept at hand with it.
TEST(ObjectModelTest, AttributesOutliveTheThreadThatMadeThem) {
  std::vector<std::unique_ptr<EDAAttribute>> made;
  for (int t = 0; t < 4; ++t) {
    std::thread maker([&made, t] {
      for (int i = 0; i < 300; ++i) {
        std::unique_ptr<EDAAttribute> attribute =
            EDAAttribute::create("Pin" + std::to_string(i % 5));
        attribute->setUnit(std::to_string(t) + "V");
        made.push_back(std::move(attribute));
      }
    });
    maker.join();
  }
  // Every other one goes first, so the rest hold the last claims on their shapes.
  for (size_t i = 0; i < made.size(); i += 2) made[i].reset();
  for (size_t i = 1; i < made.size(); i += 2) {
    EXPECT_EQ(made[i]->getName(), "Pin" + std::to_string(i % 300 % 5));
    EXPECT_EQ(made[i]->getUnit(), std::to_string(i / 300) + "V");
    made[i]->setType("Reference");
    EXPECT_TRUE(made[i]->isReference());
  }
}

TEST(ObjectModelTest, SetValueHonoursTheFlags) {
  EDALibrary library;
  EDAItem* item = library.createItem("A-1", "Res", "Part");
  EDADataset* dataset = library.createDataset("Sheet", "Datasheet");

  // Flag 1: the property changes, the field does not.
  item->setValue("releaseStatus", "Released", false);
  EXPECT_EQ(item->getValue("releaseStatus", false), "Released");
  EXPECT_EQ(item->getReleaseStatus(), "");
  item->setValue("revision", "B", true);
  EXPECT_EQ(item->getValue("revision", false), "B");
  EXPECT_EQ(item->getRevision(), "");
  EXPECT_FALSE(item->hasAttribute("revision"));
  dataset->setValue("folder", "docs", false);
  EXPECT_EQ(dataset->getValue("folder", false), "docs");
  EXPECT_EQ(dataset->getFolder(), "");
  // ... while the setters change both.
  item->setReleaseStatus("Obsolete");
  EXPECT_EQ(item->getReleaseStatus(), "Obsolete");
  EXPECT_EQ(item->getValue("releaseStatus", false), "Obsolete");
  EXPECT_TRUE(item->isObsolete());

  // Flag 0: identity stays, with or without createAttribute.
  for (bool create : {false, true}) {
    item->setValue("name", "Other", create);
    item->setValue("itemId", "B-2", create);
    EXPECT_EQ(item->getValue("name", true), "Res");
    EXPECT_EQ(item->getValue("itemId", true), "A-1");
    EXPECT_FALSE(item->hasAttribute("name"));
  }

  // Not a property: an attribute only when asked to create one. "folder" is a property of
  // datasets only.
  item->setValue("Tolerance", "1%", false);
  EXPECT_FALSE(item->hasAttribute("Tolerance"));
  item->setValue("Tolerance", "1%", true);
  ASSERT_TRUE(item->hasAttribute("Tolerance"));
  EXPECT_EQ(item->getAttribute("Tolerance")->getValue(), "1%");
  EXPECT_EQ(item->getAttribute("Tolerance")->getType(), "String");
  item->setValue("folder", "x", true);
  EXPECT_TRUE(item->hasAttribute("folder"));
  item->setValue("", "x", true);
  EXPECT_EQ(item->getAttribute(""), nullptr);

  // getValue reads attributes only when asked to.
  EXPECT_EQ(item->getValue("Tolerance", false), "");
  EXPECT_EQ(item->getValue("Tolerance", true), "1%");
  std::map<std::string, std::string> values = {{"Tolerance", "?"}, {"itemId", "?"}, {"x", "?"}};
  item->getValues(&values, true);
  EXPECT_EQ(values, (std::map<std::string, std::string>{
                        {"Tolerance", "1%"}, {"itemId", "A-1"}, {"x", ""}}));
}

TEST(ObjectModelTest, AttributesAreListedInByteOrderAndParseRequiredText) {
  EDAGde gde("n", "t");
  gde.getOrCreateAttribute("a");
  gde.getOrCreateAttribute("B");
  EDAAttribute* same = gde.getOrCreateAttribute("a");
  std::vector<EDAAttribute*> attributes = {same};
  gde.getAttributes(&attributes);
  ASSERT_EQ(attributes.size(), 2u);
  EXPECT_EQ(attributes[0]->getName(), "B");
  EXPECT_EQ(attributes[1], same);

  const std::pair<const char*, bool> texts[] = {{"true", true}, {"TRUE", true}, {"True", true},
                                                {"yes", false}, {"", false},    {"1", false}};
  for (const auto& t : texts) {
    SCOPED_TRACE(t.first);
    same->setRequiredFromText(t.first);
    EXPECT_EQ(same->isRequired(), t.second);
    EXPECT_STREQ(same->getRequiredText(), t.second ? "true" : "false");
  }
  same->setType("reference");
  EXPECT_TRUE(same->isReference());
  same->setType("REFERENCEDVALUE");
  EXPECT_TRUE(same->isReferencedValue());
  EXPECT_FALSE(same->isReference());
}

TEST(ObjectModelTest, AttributeTypeAndUnitKeepEveryValueSet) {
  EDAAttribute attribute("Value");
  EXPECT_EQ(attribute.getType(), "String");
  EXPECT_EQ(attribute.getUnit(), "");
  attribute.setUnit("");
  attribute.setType("String");
  EXPECT_EQ(attribute.getType(), "String");
  attribute.setUnit("k\xCE\xA9");
  EXPECT_EQ(attribute.getType(), "String");
  EXPECT_EQ(attribute.getUnit(), "k\xCE\xA9");
  attribute.setType("");
  EXPECT_EQ(attribute.getType(), "");
  EXPECT_EQ(attribute.getUnit(), "k\xCE\xA9");
  attribute.setUnit("");
  attribute.setType("String");
  EXPECT_EQ(attribute.getUnit(), "");
  EXPECT_EQ(attribute.getType(), "String");

  // Every spelling of the reference type keeps its letters, with or without a unit beside it.
  attribute.setType("Reference");
  attribute.setUnit("mm");
  EXPECT_TRUE(attribute.isReference());
  EXPECT_EQ(attribute.getType(), "Reference");
  attribute.setUnit("");
  EXPECT_EQ(attribute.getType(), "Reference");
  EXPECT_EQ(attribute.getUnit(), "");
  attribute.setType("rEfErEnCe");
  EXPECT_TRUE(attribute.isReference());
  EXPECT_EQ(attribute.getType(), "rEfErEnCe");
  attribute.setUnit("V");
  attribute.setType("String");
  EXPECT_FALSE(attribute.isReference());
  EXPECT_EQ(attribute.getType(), "String");
  EXPECT_EQ(attribute.getUnit(), "V");

  // An empty type stays empty without a unit, and a second attribute starts from the defaults.
  EDAAttribute other("Other");
  other.setType("");
  EXPECT_EQ(other.getType(), "");
  EXPECT_EQ(other.getUnit(), "");
  EXPECT_EQ(EDAAttribute("Third").getType(), "String");
}

TEST(ObjectModelTest, RegistriesFindObjectsByClassTypeAndKey) {
  EDALibrary library;
  EDAItem* item = library.createItem("A-100", "Res", "Part");
  EDAGde* footprint = library.createGde("R_0603", "Footprint");
  EDADataset* lowerType = library.createDataset("Sheet", "edadataset");

  EXPECT_EQ(item->getKey(), "[Part,a-100]");
  EXPECT_EQ(footprint->getKey(), "[Footprint,r_0603]");
  EXPECT_EQ(item->getLibraryId(), "id1");
  EXPECT_EQ(footprint->getLibraryId(), "id1");

  struct Case {
    const char* classOrType;
    std::vector<std::string> ids;
  };
  const Case cases[] = {
      {"EDAItem", {item->getElemId()}},
      {"Part", {item->getElemId()}},
      {"part", {}},
      {"EDAGde", {footprint->getElemId()}},
      {"Footprint", {footprint->getElemId()}},
      // A type equal to the class name ignoring case is registered once.
      {"EDADataset", {lowerType->getElemId()}},
      {"edadataset", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.classOrType);
    std::vector<EDAWorkspaceObject*> found;
    library.getObjects(c.classOrType, &found);
    EXPECT_EQ(idsOf(found), c.ids);
    EXPECT_EQ(library.countObjects(c.classOrType), c.ids.size());
  }
  std::vector<EDAWorkspaceObject*> both;
  library.getObjects({"EDAGde", "Part", "None"}, &both);
  EXPECT_EQ(idsOf(both), (std::vector<std::string>{footprint->getElemId(), item->getElemId()}));
  EXPECT_EQ(library.countObjects({"EDAGde", "Part", "EDAItem"}), 3u);

  EXPECT_EQ(library.findObject(item->getElemId()), item);
  EXPECT_EQ(library.findObject(""), nullptr);
  EXPECT_EQ(library.findObject("id99"), nullptr);
}

// Only the spelling getElemId writes names an object: any other text (leading zeros, "-0", a
// sign, a number beyond 32 bits) must not alias an identity.
TEST(ObjectModelTest, ParsesOnlyTheIdentitySpellingItWrites) {
  const struct {
    const char* text;
    bool parsed;
    int32_t number;
  } cases[] = {
      {"id0", true, 0},
      {"id7", true, 7},
      {"id-3", true, -3},
      {"id2147483647", true, INT32_MAX},
      {"id-2147483648", true, INT32_MIN},
      {"id2147483648", false, 0},
      {"id-2147483649", false, 0},
      {"id07", false, 0},
      {"id00", false, 0},
      {"id-0", false, 0},
      {"id-07", false, 0},
      {"id+7", false, 0},
      {"id", false, 0},
      {"id-", false, 0},
      {"ID7", false, 0},
      {"id7 ", false, 0},
      {"x7", false, 0},
      {"id12345678901", false, 0},
  };
  for (const auto& c : cases) {
    int32_t number = 12345;
    EXPECT_EQ(EDAObject::parseElemId(c.text, &number), c.parsed) << c.text;
    if (c.parsed) {
      EXPECT_EQ(number, c.number) << c.text;
      EXPECT_EQ(ConnectorUtil::makeElemId(number), c.text);
    }
  }
}

TEST(ObjectModelTest, FindItemsMatchesTypeExactlyAndItemIdIgnoringCase) {
  EDALibrary library;
  EDAItem* item = library.createItem("A-100", "Res", "Part");
  EDAGde* gde = library.createGde("A-100", "Part");  // Same key, other class.
  struct Case {
    const char* type;
    const char* itemId;
    bool found;
  };
  const Case cases[] = {
      {"Part", "A-100", true}, {"Part", "a-100", true}, {"part", "A-100", false},
      {"Part", "A-10", false}, {"Part", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.type) + "/" + c.itemId);
    std::vector<EDAItem*> items;
    library.findItems(c.type, c.itemId, &items);
    EXPECT_EQ(items.size(), c.found ? 1u : 0u);
    EXPECT_EQ(library.findItem(c.type, c.itemId), c.found ? item : nullptr);
    EXPECT_EQ(library.hasItem(c.type, c.itemId), c.found);
  }
  EXPECT_EQ(library.findGde("Part", "a-100"), gde);
  EXPECT_TRUE(library.hasGde("Part", "A-100"));
  EXPECT_FALSE(library.hasGde("Part", "Res"));

  // Objects sharing a key come in registration order; the first is the one found.
  EDAItem* second = library.createItem("a-100", "Second", "Part");
  std::vector<EDAItem*> items;
  library.findItems("Part", "A-100", &items);
  EXPECT_EQ(items, (std::vector<EDAItem*>{item, second}));
  EXPECT_EQ(library.findItem("Part", "a-100"), item);
  library.clear();
  EXPECT_FALSE(library.hasItem("Part", "A-100"));
  EDAItem* again = library.createItem("A-100", "Again", "Part");
  EXPECT_EQ(library.findItem("Part", "A-100"), again);
}

TEST(ObjectModelTest, KeysStayFoundWhileTheIndexGrows) {
  // Thousands of keys, added one by one, make the index grow many times; after every fifth item
  // comes one repeating the key of an earlier item in other letter case.
  EDALibrary library;
  constexpr int kItems = 5000;
  std::vector<EDAItem*> firsts, repeats;
  for (int i = 0; i < kItems; ++i) {
    firsts.push_back(library.createItem("P-" + std::to_string(i), "p", "Part"));
    if (i % 5 == 0)
      repeats.push_back(library.createItem("p-" + std::to_string(i / 5), "q", "Part"));
  }
  for (int i = 0; i < kItems; ++i) {
    std::vector<EDAItem*> found;
    library.findItems("Part", "P-" + std::to_string(i), &found);
    ASSERT_FALSE(found.empty()) << i;
    EXPECT_EQ(found.front(), firsts[static_cast<size_t>(i)]);
    if (i < kItems / 5) {
      ASSERT_EQ(found.size(), 2u) << i;
      EXPECT_EQ(found.back(), repeats[static_cast<size_t>(i)]);
    } else {
      EXPECT_EQ(found.size(), 1u) << i;
    }
  }
  EXPECT_FALSE(library.hasItem("Part", "P-" + std::to_string(kItems)));
  EXPECT_FALSE(library.hasItem("Other", "P-1"));
}

TEST(ObjectModelTest, NumbersAreFoundWhateverTheirStride) {
  // A steady stride; a number claimed twice where the stride points at its second claim (the
  // first claim wins); uneven numbers up to the largest.
  const std::vector<std::vector<int32_t>> lists = {
      {10, 17, 24, 31, 38, 45, 52, 59},
      {10, 20, 30, 30, 40},
      {1000, 1001, 1005, 1005, 1200, 2147483647},
  };
  std::vector<std::unique_ptr<EDAGde>> owners;
  for (const std::vector<int32_t>& numbers : lists) {
    ObjectsByNumber byNumber;
    for (const int32_t number : numbers) {
      owners.push_back(std::make_unique<EDAGde>("g", "t"));
      byNumber.emplace_back(number, owners.back().get());
    }
    for (size_t i = 0; i < byNumber.size(); ++i) {
      const bool repeated = i > 0 && byNumber[i - 1].first == byNumber[i].first;
      EXPECT_EQ(findByNumber(byNumber, byNumber[i].first), byNumber[repeated ? i - 1 : i].second)
          << byNumber[i].first;
    }
    for (const int32_t missing : {-2147483647 - 1, 0, 9, 11, 41, 60, 1002, 2147483646}) {
      EXPECT_EQ(findByNumber(byNumber, missing), nullptr) << missing;
    }
  }
  EXPECT_EQ(findByNumber(ObjectsByNumber(), 10), nullptr);
  const ObjectsByNumber one = {{10, owners.front().get()}};
  EXPECT_EQ(findByNumber(one, 10), owners.front().get());
  EXPECT_EQ(findByNumber(one, 11), nullptr);
}

// An assembly may relate to a great many parts; its relations must go without using a stack frame
// each.
TEST(ObjectModelTest, AnObjectWithAMillionRelationsIsDestroyed) {
  auto library = std::make_unique<EDALibrary>();
  EDAItem* assembly = library->createItem("A", "Assembly", "Part");
  EDAGde* footprint = library->createGde("F", "Footprint");
  constexpr size_t kRelations = 1000000;
  for (size_t i = 0; i < kRelations; ++i) assembly->addRelation("view", footprint);
  const std::vector<EDARelation*> relations = assembly->getRelations();
  ASSERT_EQ(relations.size(), kRelations);
  EXPECT_EQ(footprint->getReferencingRelations().back(), relations.back());
  library.reset();
}

TEST(ObjectModelTest, RelationsAreKeptOnBothSidesAndFilteredByTypes) {
  EDALibrary library;
  EDAItem* item = library.createItem("I", "Item", "Part");
  EDADataset* typed = library.createDataset("Typed", "Datasheet");
  EDADataset* untyped = library.createDataset("Untyped", "Datasheet");
  EDAGde* footprint = library.createGde("F", "Footprint");
  item->addRelation(untyped);
  item->addRelation("qrel_REFERENCE", typed);
  item->addRelation("QREL_reference", footprint);
  item->addRelation("view", footprint);

  ASSERT_EQ(item->getRelations().size(), 4u);
  EXPECT_EQ(item->getRelations()[0]->getRelationType(), "");
  EXPECT_EQ(footprint->getReferencingRelations().size(), 2u);
  EXPECT_EQ(footprint->getReferencingRelations()[1]->getPrimary(), item);
  EXPECT_EQ(untyped->getReferencingRelations().size(), 1u);
  EXPECT_TRUE(item->getReferencingRelations().empty());

  std::vector<EDAContextObject*> secondaries;
  item->getSecondaryObjects("QREL_reference", &secondaries);
  EXPECT_EQ(idsOf(secondaries), idsOf(std::vector<EDAContextObject*>{typed, footprint}));
  item->getSecondaryObjects("", &secondaries);
  EXPECT_TRUE(secondaries.empty());

  std::vector<EDAWorkspaceObject*> workspace = {item};
  item->getSecondaryObjects("QREL_reference", "DATASHEET", &workspace);
  EXPECT_EQ(idsOf(workspace), idsOf(std::vector<EDAWorkspaceObject*>{typed}));
  item->getSecondaryObjects("QREL_reference", "", &workspace);
  EXPECT_TRUE(workspace.empty());

  EXPECT_EQ(item->getDataset(), typed);
  std::vector<EDADataset*> datasets;
  item->getDatasets("view", &datasets);
  EXPECT_TRUE(datasets.empty());
  item->getDatasets("qrel_reference", "Datasheet", &datasets);
  EXPECT_EQ(datasets, std::vector<EDADataset*>{typed});

  // Only an untyped relation: the default relation type finds nothing.
  EDAItem* other = library.createItem("J", "Item", "Part");
  other->addRelation(untyped);
  EXPECT_EQ(other->getDataset(), nullptr);
}

TEST(ObjectModelTest, DefaultRelationTypeIgnoresEmptyText) {
  EXPECT_EQ(EDAMasterObject::getDefaultRelationType(), "QREL_reference");
  EDAMasterObject::setDefaultRelationType("");
  EXPECT_EQ(EDAMasterObject::getDefaultRelationType(), "QREL_reference");
  EDAMasterObject::setDefaultRelationType("uses");
  EXPECT_EQ(EDAMasterObject::getDefaultRelationType(), "uses");
  EDAMasterObject::setDefaultRelationType("QREL_reference");
}

TEST(ObjectModelTest, KeyIsFixedAtCreation) {
  EDALibrary library;
  EDADataset* dataset = library.createDataset("Sheet", "Doc");
  dataset->setValue("name", "Other", true);
  dataset->setFolder("x");
  EXPECT_EQ(dataset->getKey(), "[Doc,sheet]");
}

TEST(ObjectModelTest, ClearEmptiesRegistriesButKeepsNameFolderAndCounter) {
  EDALibrary library;
  library.setName("Lib");
  library.setFolder("C:\\lib");
  EDAItem* a = library.createItem("A", "a", "Part");
  EDAItem* b = library.createItem("B", "b", "Part");
  a->addRelation("r", b);
  b->addRelation("r", a);  // A cycle must not trouble the destruction.
  library.clear();
  EXPECT_EQ(library.countObjects("EDAItem"), 0u);
  EXPECT_EQ(library.findItem("Part", "A"), nullptr);
  EXPECT_EQ(library.findObject("id2"), nullptr);
  EXPECT_EQ(library.getName(), "Lib");
  EXPECT_EQ(library.getFolder(), "C:\\lib");
  EXPECT_EQ(library.createGde("g", "t")->getElemId(), "id6");
}

TEST(ObjectModelTest, ObjectsSurviveAnIdentityThatComesRoundAgain) {
  // A second library restarts the counter, so the first one can meet an elemId twice.
  EDALibrary first;
  EDAItem* older = first.createItem("A", "a", "Part");
  EDALibrary second;
  EDAItem* newer = first.createItem("B", "b", "Part");
  ASSERT_EQ(older->getElemId(), newer->getElemId());
  EXPECT_EQ(first.findObject(older->getElemId()), newer);
  EXPECT_EQ(first.countObjects("EDAItem"), 2u);
  EXPECT_EQ(first.findItem("Part", "A"), older);
  EXPECT_EQ(older->getItemId(), "A");

  // Numbers rise again after the repeat; an object made before others is found when added after.
  EDAItem* third = first.createItem("C", "c", "Part");
  std::unique_ptr<EDAItem> early = EDAItem::create("D", "d", "Part");
  const std::string earlyId = early->getElemId();
  EDAItem* fourth = first.createItem("E", "e", "Part");
  EDAWorkspaceObject* added = first.addObject(std::move(early));
  EXPECT_EQ(first.findObject(third->getElemId()), third);
  EXPECT_EQ(first.findObject(fourth->getElemId()), fourth);
  EXPECT_EQ(first.findObject(earlyId), added);
}

}  // namespace
