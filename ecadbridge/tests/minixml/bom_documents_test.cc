// BOM documents and the print mode, read through the exported functions of libecadbridge.
#include <string>
#include <vector>

#include "minixml_fixture.h"

namespace minixml_test {
namespace {

class BomDocumentTest : public MinixmlTest {
 protected:
  CCAElements* parseBom(const std::string& xml, int* code = nullptr) {
    open();
    int result = parse(xml, "Bom");
    auto* cca = static_cast<CCAElements*>(minixml_parser_getCCAElements(nullptr));
    close();
    if (code != nullptr) *code = result;
    return cca;
  }
};

std::vector<std::string> variantNames(const CCAElements* cca) {
  std::vector<std::string> names;
  for (const ccaVariantElement* v = cca->variants; v != nullptr; v = v->next) {
    names.push_back(text(v->variantName));
  }
  return names;
}

std::vector<std::string> datasetNames(const CCAElements* cca) {
  std::vector<std::string> names;
  for (const datasetElement* d = cca->datasets; d != nullptr; d = d->next) {
    names.push_back(text(d->name));
  }
  return names;
}

TEST_F(BomDocumentTest, CCAWithVariantsAndADatasetFillsEveryFieldInHeaderOrder) {
  int code = -1;
  CCAElements* cca = parseBom(
      "<BOM><CCA bom=\"bom\" revId=\"revId\" itemId=\"itemId\" name=\"name\" other=\"x\">"
      "<CCAVariant variantName=\"V1\" itemName=\"itemName\" itemId=\"itemId\" revId=\"revId\" "
      "bom=\"bom\"/>"
      "<CCAVariant variantName=\"V2\"/>"
      "<dataset type=\"type\" UID=\"UID\" src=\"src\" checkedOut=\"checkedOut\" "
      "nonLatest=\"nonLatest\" version=\"version\" sub=\"sub\" name=\"name\"/>"
      "</CCA></BOM>",
      &code);

  EXPECT_EQ(code, 0);
  ASSERT_NE(cca, nullptr);
  // The texts come first in each struct, in the order the header gives.
  auto fieldsOf = [](void* record, size_t count) {
    std::vector<std::string> values;
    for (size_t i = 0; i < count; ++i) values.push_back(text(static_cast<char**>(record)[i]));
    return values;
  };
  EXPECT_EQ(fieldsOf(cca, 4), (std::vector<std::string>{"name", "itemId", "revId", "bom"}));
  EXPECT_EQ(variantNames(cca), (std::vector<std::string>{"V2", "V1"}));
  ASSERT_NE(cca->variants->next, nullptr);
  EXPECT_EQ(fieldsOf(cca->variants->next, 5),
            (std::vector<std::string>{"V1", "itemName", "itemId", "revId", "bom"}));
  ASSERT_NE(cca->datasets, nullptr);
  EXPECT_EQ(cca->datasets->next, nullptr);
  EXPECT_EQ(fieldsOf(cca->datasets, 8),
            (std::vector<std::string>{"type", "UID", "src", "checkedOut", "nonLatest", "version",
                                      "sub", "name"}));
}

TEST_F(BomDocumentTest, WhichElementsAreRecorded) {
  const struct {
    const char* name;
    std::string xml;
    std::string ccaName;  // "<none>" when no CCA record results
    std::vector<std::string> variants;
    std::vector<std::string> datasets;
  } cases[] = {
      {"the second CCA wins and keeps only what follows it",
       "<BOM><CCA name=\"one\"><CCAVariant variantName=\"v1\"/><dataset name=\"d1\"/></CCA>"
       "<CCA name=\"two\"><dataset name=\"d2\"/></CCA></BOM>",
       "two",
       {},
       {"d2"}},
      {"entries before any CCA add nothing",
       "<BOM><dataset name=\"early\"/><CCAVariant variantName=\"early\"/>"
       "<CCA name=\"c\"/><dataset name=\"late\"/></BOM>",
       "c",
       {},
       {"late"}},
      {"no CCA at all", "<BOM><dataset name=\"d\"/></BOM>", "<none>", {}, {}},
      {"datasets inside a component count",
       "<BOM><CCA name=\"c\"><component><attr k=\"v\"/><dataset name=\"inner\"/></component>"
       "<dataset name=\"outer\"/></CCA></BOM>",
       "c",
       {},
       {"outer", "inner"}},
      {"names are case-sensitive",
       "<BOM><CCA name=\"c\"><cca name=\"lower\"/><Dataset name=\"D\"/><ccaVariant/></CCA></BOM>",
       "c",
       {},
       {}},
      {"a default namespace does not matter, a prefix does",
       "<BOM xmlns=\"urn:b\" xmlns:p=\"urn:p\"><CCA name=\"c\"><dataset name=\"d\"/>"
       "<p:dataset name=\"prefixed\"/><p:CCA name=\"prefixed\"/></CCA></BOM>",
       "c",
       {},
       {"d"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int code = -1;
    CCAElements* cca = parseBom(c.xml, &code);
    EXPECT_EQ(code, 0);
    if (cca == nullptr) {
      EXPECT_EQ(c.ccaName, "<none>");
      continue;
    }
    EXPECT_EQ(text(cca->name), c.ccaName);
    EXPECT_EQ(variantNames(cca), c.variants);
    EXPECT_EQ(datasetNames(cca), c.datasets);
  }
}

TEST_F(BomDocumentTest, BomParseLeavesStatusRecordsAndPrintParseLeavesEverything) {
  open();
  parse("<r xmlns=\"urn:x\"><EDAStatus status=\"kept\"/></r>", "Status", "status.xml");
  void* status = minixml_parser_getEDAStatus(nullptr);
  parse("<BOM><CCA name=\"first\"/></BOM>", "Bom", "bom.xml");
  void* status2 = minixml_parser_getEDAStatus(nullptr);
  void* cca = minixml_parser_getCCAElements(nullptr);
  int printCode = parse("<BOM><CCA name=\"second\"/><r xmlns=\"urn:x\"><EDAStatus/></r></BOM>",
                        "Print", "print.xml");
  void* status3 = minixml_parser_getEDAStatus(nullptr);
  void* cca3 = minixml_parser_getCCAElements(nullptr);
  close();

  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status2, status);
  EXPECT_EQ(status3, status);
  ASSERT_NE(cca, nullptr);
  EXPECT_EQ(cca3, cca);
  EXPECT_EQ(printCode, 0);
}

TEST_F(BomDocumentTest, BomTraceNamesWhatWasFound) {
  open();
  parse(
      "<BOM><CCA name=\"n\" itemId=\"i\"><CCAVariant variantName=\"v\" x=\"y\"/>"
      "<component><attr key=\"k\"/></component><dataset UID=\"u\"/></CCA></BOM>",
      "Bom");
  close();

  EXPECT_EQ(errors(),
            "\n\n\nStart Bom Document\n"
            "   Start Bom Element kind = BOM\n"
            "      Start Bom Element kind = CCA\n"
            "      Found the CCA\n"
            "         name = n\n"
            "         CCAElements Name = n\n"
            "         itemId = i\n"
            "         CCAElements itemId = i\n"
            "         Start Bom Element kind = CCAVariant\n"
            "         Found the data CCAVariant\n"
            "            ccaVariantElement variantName = v\n"
            "         End Bom Element kind = CCAVariant\n"
            "         Start Bom Element kind = component\n"
            "         Found a component, skipping this section\n"
            "            Start Bom Element kind = attr\n"
            "            Found an attr section\n"
            "               key = k\n"
            "            End Bom Element kind = attr\n"
            "         End Bom Element kind = component\n"
            "         Start Bom Element kind = dataset\n"
            "         Found the data set\n"
            "            UID = u\n"
            "            datasetElement UID = u\n"
            "         End Bom Element kind = dataset\n"
            "      End Bom Element kind = CCA\n"
            "   End Bom Element kind = BOM\n"
            "End Bom Document\n\n\n");
}

TEST_F(BomDocumentTest, PrintModeIndentsElementsAndAttributes) {
  const struct {
    const char* name;
    std::string xml;
    std::string trace;
  } cases[] = {
      {"plain", "<R><C a=\"1\">text<!-- comment --><?pi data?></C></R>",
       "\n\n\nStart Document\n"
       "   Start Element kind = R\n"
       "      Start Element kind = C\n"
       "         a = 1\n"
       "      End Element kind = C\n"
       "   End Element kind = R\n"
       "End Document\n\n\n"},
      {"namespaces", "<x:R xmlns:x=\"urn:a\" x:b=\"2\" c=\"3\"/>",
       "\n\n\nStart Document\n"
       "   Start Element kind = urn:a:R\n"
       "      *urn:a:b = 2\n"
       "      c = 3\n"
       "   End Element kind = urn:a:R\n"
       "End Document\n\n\n"},
  };
  for (const auto& c : cases) {
    open();
    int code = parse(c.xml, "Print");
    close();
    SCOPED_TRACE(c.name);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(errors(), c.trace);
  }
}

}  // namespace
}  // namespace minixml_test
