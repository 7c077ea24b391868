// Status documents read through the exported getters of libecadbridge.
#include <string>
#include <vector>

#include "minixml_fixture.h"

namespace minixml_test {
namespace {

const std::string kHead = "<?xml version=\"1.0\"?>\n<EDAResult xmlns=\"urn:morvane:eda\">\n";
const std::string kTail = "</EDAResult>\n";

std::string statusDocument(const std::string& body) { return kHead + body + kTail; }

struct Snapshot {
  int code = -1;
  std::vector<void*> records;  // the ten status records, in getter order
  void* cca = nullptr;
};

Snapshot take(int code) {
  Snapshot s;
  s.code = code;
  for (Getter get : kStatusGetters) s.records.push_back(get(nullptr));
  s.cca = minixml_parser_getCCAElements(nullptr);
  return s;
}

class StatusDocumentTest : public MinixmlTest {
 protected:
  Snapshot parseStatus(const std::string& body) {
    open();
    Snapshot s = take(parse(statusDocument(body), "Status"));
    close();
    return s;
  }
};

// The header promises a field order; every text field of a record must hold the attribute of
// its name, in order. The record's texts come first, so they can be walked as an array.
struct LayoutCase {
  const char* element;
  size_t getter;  // index into kStatusGetters
  std::vector<std::string> fields;
};

const LayoutCase kLayoutCases[] = {
    {"EDAStatus", 0, {"status", "message"}},
    {"EDAPreSaveStatus",
     1,
     {"status", "message", "BOMOption", "viewableOption", "datasetMappedAttrNames",
      "rdnMappedAttrNames", "nonVariantToVariantConversion", "itemId"}},
    {"EDASaveStatus", 2, {"status", "message", "UID"}},
    {"EDAPreSaveAsStatus",
     3,
     {"status", "message", "itemId", "itemName", "viewableOption", "saveAsVariant", "BOMOption",
      "datasetMappedAttrNames", "rdnMappedAttrNames", "designFolder", "saveAsCopy",
      "nonVariantToVariantConversion", "checkIn", "doNotKeep"}},
    {"EDASaveAsStatus",
     4,
     {"status", "message", "UID", "saveAsCopy", "checkIn", "nonVariantToVariantConversion"}},
    {"EDACheckOutStatus", 5, {"status", "message", "refreshed", "primaryDsUID"}},
    {"EDAGetStagingDirStatus", 6, {"status", "message", "stagingDir"}},
    {"EDAReconcilePartsSelectStatus", 7, {"status", "message", "BOMOption"}},
    {"EDAPreCheckInStatus",
     8,
     {"status", "message", "BOMOption", "viewableOption", "datasetMappedAttrNames",
      "rdnMappedAttrNames", "nonVariantToVariantConversion", "itemId", "doNotKeep"}},
    {"EDACancelCheckoutStatus", 9, {"status", "message", "doNotKeep"}},
};

TEST_F(StatusDocumentTest, EveryRecordReadsItsAttributesIntoFieldsInHeaderOrder) {
  for (const LayoutCase& c : kLayoutCases) {
    // Attributes in reverse order, each valued "<name>-value", plus one the record does not read.
    std::string element = std::string("<") + c.element + " unrelated=\"x\"";
    for (auto it = c.fields.rbegin(); it != c.fields.rend(); ++it) {
      element += " " + *it + "=\"" + *it + "-value\"";
    }
    element += "/>\n";
    Snapshot s = parseStatus(element);

    SCOPED_TRACE(c.element);
    EXPECT_EQ(s.code, 0);
    for (size_t i = 0; i < s.records.size(); ++i) {
      EXPECT_EQ(s.records[i] != nullptr, i == c.getter) << "record " << i;
    }
    auto* fields = static_cast<char**>(s.records[c.getter]);
    if (fields == nullptr) continue;
    for (size_t i = 0; i < c.fields.size(); ++i) {
      EXPECT_EQ(text(fields[i]), c.fields[i] + "-value") << "field " << i;
    }
  }
}

TEST_F(StatusDocumentTest, EachElementNameFillsItsRecordKind) {
  const struct {
    const char* element;
    size_t getter;
  } cases[] = {
      {"EDAStatus", 0},
      {"EDAOpenDataSetStatus", 0},
      {"EDAPurgeCacheStatus", 0},
      {"EDAGetItemInfoStatus", 0},
      {"EDALogoutStatus", 0},
      {"EDAGetPreferenceValuesStatus", 0},
      {"EDASetPreferenceValuesStatus", 0},
      {"EDAReconcilePartsStatus", 0},
      {"EDAPreSaveStatus", 1},
      {"EDASaveStatus", 2},
      {"EDACheckInStatus", 2},
      {"EDASaveDerivedDataStatus", 2},
      {"EDAPreSaveAsStatus", 3},
      {"EDASaveAsStatus", 4},
      {"EDACheckOutStatus", 5},
      {"EDARefreshStatus", 5},
      {"EDAGetStagingDirStatus", 6},
      {"EDAReconcilePartsSelectStatus", 7},
      {"EDAPreCheckInStatus", 8},
      {"EDACancelCheckoutStatus", 9},
  };
  for (const auto& c : cases) {
    Snapshot s = parseStatus(std::string("<") + c.element + " status=\"" + c.element + "\"/>");
    SCOPED_TRACE(c.element);
    EXPECT_EQ(s.code, 0);
    for (size_t i = 0; i < s.records.size(); ++i) {
      EXPECT_EQ(s.records[i] != nullptr, i == c.getter) << "record " << i;
    }
    // status is the first field of every status record.
    if (s.records[c.getter] != nullptr) {
      EXPECT_EQ(text(*static_cast<char**>(s.records[c.getter])), c.element);
    }
  }
}

TEST_F(StatusDocumentTest, DefaultNamespaceSaveStatusIsReadAndTraced) {
  open();
  void* out = reinterpret_cast<void*>(0x1);
  int code = parse(statusDocument("<EDASaveStatus status=\"OK\" message=\"saved\" UID=\"u-1\"/>"),
                   "Status");
  void* returned = minixml_parser_getEDASaveStatus(&out);
  close();

  EXPECT_EQ(code, 0);
  ASSERT_NE(returned, nullptr);
  EXPECT_EQ(out, returned);
  auto* save = static_cast<EDASaveStatusElement*>(returned);
  EXPECT_EQ(text(save->status), "OK");
  EXPECT_EQ(text(save->message), "saved");
  EXPECT_EQ(text(save->UID), "u-1");

  std::string trace = errors();
  EXPECT_NE(trace.find("\n\n\nStart Status Document\n"), std::string::npos);
  EXPECT_NE(trace.find("   Start Status Element kind = urn:morvane:eda:EDAResult\n"),
            std::string::npos);
  EXPECT_NE(trace.find("      Found the EDASaveStatus\n"), std::string::npos);
  EXPECT_NE(trace.find("         Found the UID\n         EDASaveStatusElement UID = u-1\n"),
            std::string::npos);
  EXPECT_NE(trace.find("         UID = u-1\n"), std::string::npos);
  EXPECT_NE(trace.find("      End Status Element kind = urn:morvane:eda:EDASaveStatus\n"),
            std::string::npos);
  EXPECT_NE(trace.find("End Status Document\n\n\n"), std::string::npos);
}

TEST_F(StatusDocumentTest, ElementsOutsideANamespaceOrWithAPrefixAreNotRecognised) {
  const struct {
    const char* name;
    std::string xml;
    std::string traced;
  } cases[] = {
      {"no namespace", "<EDAResult><EDASaveStatus status=\"OK\" UID=\"u\"/></EDAResult>",
       "      Start Status Element kind = EDASaveStatus\n"},
      {"prefixed", "<p:EDAResult xmlns:p=\"urn:p\"><p:EDAStatus status=\"OK\"/></p:EDAResult>",
       "      Start Status Element kind = urn:p:EDAStatus\n"},
  };
  for (const auto& c : cases) {
    open();
    Snapshot s = take(parse(c.xml, "Status"));
    close();
    SCOPED_TRACE(c.name);
    EXPECT_EQ(s.code, 0);
    for (void* record : s.records) EXPECT_EQ(record, nullptr);
    EXPECT_NE(errors().find(c.traced), std::string::npos) << errors();
  }
}

TEST_F(StatusDocumentTest, AttributeNamesMatchExactly) {
  open();
  int code =
      parse(statusDocument("<EDAStatus xmlns:p=\"urn:p\" Status=\"capital\" p:status=\"pfx\" "
                           "message=\"m\"/>"),
            "Status");
  auto* status = static_cast<EDAStatusElement*>(minixml_parser_getEDAStatus(nullptr));
  close();

  EXPECT_EQ(code, 0);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(text(status->status), "<null>");
  EXPECT_EQ(text(status->message), "m");
  // Attributes in a namespace are echoed with their URI.
  EXPECT_NE(errors().find("*urn:p:status = pfx\n"), std::string::npos);
  EXPECT_NE(errors().find("Status = capital\n"), std::string::npos);
}

std::vector<std::string> variantNames(const variantBomOptionElement* node) {
  std::vector<std::string> names;
  for (; node != nullptr; node = node->next) names.push_back(text(node->variantName));
  return names;
}

TEST_F(StatusDocumentTest, VariantOptionsGoToTheFirstRecordThatTakesThemNewestFirst) {
  const std::string abc =
      "<VariantBomOption variantName=\"A\" BOMOption=\"a\"/>"
      "<VariantBomOption variantName=\"B\"/>"
      "<VariantBomOption variantName=\"C\"/>";
  open();
  // Nested, as the client writes it.
  parse(statusDocument("<EDAPreSaveStatus status=\"s\">" + abc + "</EDAPreSaveStatus>"), "Status");
  auto* nested = static_cast<EDAPreSaveStatusElement*>(minixml_parser_getEDAPreSaveStatus(nullptr));
  // Siblings count just as well: position in the document is all that matters.
  parse(statusDocument("<EDAPreSaveAsStatus/>" + abc), "Status");
  auto* saveAs =
      static_cast<EDAPreSaveAsStatusElement*>(minixml_parser_getEDAPreSaveAsStatus(nullptr));
  parse(statusDocument("<EDAReconcilePartsSelectStatus/>" + abc), "Status");
  auto* reconcile = static_cast<EDAReconcilePartsSelectStatusElement*>(
      minixml_parser_getEDAReconcilePartsSelectStatus(nullptr));
  parse(statusDocument("<EDAPreCheckInStatus/>" + abc), "Status");
  auto* checkIn =
      static_cast<EDAPreCheckInStatusElement*>(minixml_parser_getEDAPreCheckInStatus(nullptr));
  // With several candidates, pre-save wins over pre-check-in even when it comes later.
  parse(statusDocument("<EDAPreCheckInStatus/><VariantBomOption variantName=\"X\"/>"
                       "<EDAPreSaveStatus/><VariantBomOption variantName=\"Y\"/>"),
        "Status");
  auto* bothCheckIn =
      static_cast<EDAPreCheckInStatusElement*>(minixml_parser_getEDAPreCheckInStatus(nullptr));
  auto* bothSave =
      static_cast<EDAPreSaveStatusElement*>(minixml_parser_getEDAPreSaveStatus(nullptr));
  close();

  const std::vector<std::string> cba = {"C", "B", "A"};
  ASSERT_NE(nested, nullptr);
  EXPECT_EQ(variantNames(nested->variantBomOptions), cba);
  EXPECT_EQ(text(nested->variantBomOptions->next->next->BOMOption), "a");
  ASSERT_NE(saveAs, nullptr);
  EXPECT_EQ(variantNames(saveAs->variantBomOptions), cba);
  ASSERT_NE(reconcile, nullptr);
  EXPECT_EQ(variantNames(reconcile->variantBomOptions), cba);
  ASSERT_NE(checkIn, nullptr);
  EXPECT_EQ(variantNames(checkIn->variantBomOptions), cba);
  ASSERT_NE(bothCheckIn, nullptr);
  ASSERT_NE(bothSave, nullptr);
  EXPECT_EQ(variantNames(bothCheckIn->variantBomOptions), std::vector<std::string>{"X"});
  EXPECT_EQ(variantNames(bothSave->variantBomOptions), std::vector<std::string>{"Y"});
}

TEST_F(StatusDocumentTest, ListEntriesWithoutAnOwnerAreDropped) {
  open();
  parse(
      statusDocument("<VariantBomOption variantName=\"early\"/>"
                     "<RelatedDSRefreshStatus UID=\"early\"/>"
                     "<EDAStatus/>"
                     "<EDAPreSaveStatus><VariantBomOption variantName=\"late\"/></EDAPreSaveStatus>"
                     "<EDARefreshStatus refreshed=\"true\"/>"
                     "<RelatedDSRefreshStatus datasetType=\"t1\" UID=\"1\"/>"
                     "<RelatedDSRefreshStatus datasetType=\"t2\" UID=\"2\" refreshed=\"false\" "
                     "name=\"n2\" sub=\"s2\"/>"),
      "Status");
  auto* preSave =
      static_cast<EDAPreSaveStatusElement*>(minixml_parser_getEDAPreSaveStatus(nullptr));
  auto* refresh = static_cast<EDACheckOutOrRefreshStatusElement*>(
      minixml_parser_getEDACheckOutOrRefreshStatus(nullptr));
  close();

  ASSERT_NE(preSave, nullptr);
  EXPECT_EQ(variantNames(preSave->variantBomOptions), std::vector<std::string>{"late"});
  ASSERT_NE(refresh, nullptr);
  // Values are kept as the document wrote them, not interpreted.
  EXPECT_EQ(text(refresh->refreshed), "true");
  const relatedDSRefreshStatusElement* first = refresh->relatedDatasets;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(text(first->datasetType), "t2");
  EXPECT_EQ(text(first->UID), "2");
  EXPECT_EQ(text(first->refreshed), "false");
  EXPECT_EQ(text(first->name), "n2");
  EXPECT_EQ(text(first->sub), "s2");
  ASSERT_NE(first->next, nullptr);
  EXPECT_EQ(text(first->next->UID), "1");
  EXPECT_EQ(first->next->next, nullptr);
  // The dropped entries were still traced.
  EXPECT_NE(errors().find("variantBomOptionElement variantName = early\n"), std::string::npos);
}

TEST_F(StatusDocumentTest, ASecondElementOfTheSameKindReplacesTheFirst) {
  open();
  parse(statusDocument("<EDAPreSaveStatus status=\"first\" itemId=\"i1\">"
                       "<VariantBomOption variantName=\"A\"/></EDAPreSaveStatus>"
                       "<EDAPreSaveStatus status=\"second\"/>"),
        "Status");
  auto* preSave =
      static_cast<EDAPreSaveStatusElement*>(minixml_parser_getEDAPreSaveStatus(nullptr));
  close();

  ASSERT_NE(preSave, nullptr);
  EXPECT_EQ(text(preSave->status), "second");
  EXPECT_EQ(text(preSave->itemId), "<null>");
  EXPECT_EQ(preSave->variantBomOptions, nullptr);
}

TEST_F(StatusDocumentTest, AStatusParseReplacesEveryStatusRecordAndKeepsTheBomRecord) {
  open();
  parse("<BOM><CCA name=\"board\"/></BOM>", "Bom", "bom.xml");
  parse(statusDocument("<EDAPreSaveStatus/><EDASaveStatus/><EDAPreSaveAsStatus/>"
                       "<EDASaveAsStatus/><EDACheckOutStatus/><EDAGetStagingDirStatus/>"
                       "<EDAReconcilePartsSelectStatus/><EDAPreCheckInStatus/>"
                       "<EDACancelCheckoutStatus/><EDAStatus status=\"old\"/>"),
        "Status", "all.xml");
  Snapshot full = take(0);
  parse(statusDocument("<EDAStatus status=\"new\"/>"), "Status", "only.xml");
  Snapshot after = take(0);
  close();

  for (void* record : full.records) EXPECT_NE(record, nullptr);
  ASSERT_NE(after.records[0], nullptr);
  EXPECT_NE(after.records[0], full.records[0]);
  EXPECT_EQ(text(static_cast<EDAStatusElement*>(after.records[0])->status), "new");
  for (size_t i = 1; i < after.records.size(); ++i) EXPECT_EQ(after.records[i], nullptr) << i;
  ASSERT_NE(after.cca, nullptr);
  EXPECT_EQ(after.cca, full.cca);
  EXPECT_EQ(text(static_cast<CCAElements*>(after.cca)->name), "board");
  // Replaced records stay readable: the caller may have kept them.
  EXPECT_EQ(text(static_cast<EDAStatusElement*>(full.records[0])->status), "old");
}

TEST_F(StatusDocumentTest, RecordsReadBeforeAnErrorAreKept) {
  open();
  Snapshot s = take(parse(kHead + "<EDAStatus status=\"before\"/><broken></EDAResult>", "Status"));
  close();

  EXPECT_EQ(s.code, 1001);
  ASSERT_NE(s.records[0], nullptr);
  EXPECT_EQ(text(static_cast<EDAStatusElement*>(s.records[0])->status), "before");
}

TEST_F(StatusDocumentTest, TextsAreUtf8WhateverTheDocumentEncoding) {
  const std::string latin1 =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r xmlns=\"urn:x\">"
      "<EDAStatus message=\"Gr\xFC\xDF"
      "e &#x20AC;\"/></r>";
  open();
  int code = parse(latin1, "Status");
  auto* status = static_cast<EDAStatusElement*>(minixml_parser_getEDAStatus(nullptr));
  close();

  EXPECT_EQ(code, 0);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(text(status->message),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x82\xAC");
}

TEST_F(StatusDocumentTest, TraceOfASmallDocumentIsExact) {
  open();
  parse("<r xmlns=\"urn:x\" a=\"1\"><EDAStatus status=\"s\"/></r>", "Status");
  close();

  EXPECT_EQ(errors(),
            "\n\n\nStart Status Document\n"
            "   Start Status Element kind = urn:x:r\n"
            "      a = 1\n"
            "      Found the EDAStatus\n"
            "         Found the status\n"
            "         EDAStatusElement status = s\n"
            "         status = s\n"
            "      End Status Element kind = urn:x:EDAStatus\n"
            "   End Status Element kind = urn:x:r\n"
            "End Status Document\n\n\n");
}

}  // namespace
}  // namespace minixml_test
