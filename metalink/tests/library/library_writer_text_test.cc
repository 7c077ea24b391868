// The bytes of a saved library file: attribute text escaped exactly as Xerces' formatter escapes
// attribute values, and files identical to those earlier releases wrote.
#include <gtest/gtest.h>

#include <string>
#include <xercesc/framework/MemBufFormatTarget.hpp>
#include <xercesc/framework/XMLFormatter.hpp>
#include <xercesc/util/XMLChar.hpp>

#include "../syncmap/xml_test_support.h"
#include "library/eda_library.h"
#include "library/xml_attribute_text.h"
#include "platform/text.h"
#include "syncmap/xerces_support.h"
#include "util/text_conversion.h"

namespace {

using namespace XERCES_CPP_NAMESPACE;
using xmltest::ScratchTest;

// What Xerces writes for an attribute value, after the same text conversion; false for a value
// with a character XML 1.0 does not allow.
bool xercesAttributeText(const std::string& value, std::string* out) {
  const std::u16string wide = toWide(value);
  for (size_t i = 0; i < wide.size(); ++i) {
    const char16_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (!XMLChar1_0::isXMLChar(c, wide[i + 1])) return false;
      ++i;
    } else if (!XMLChar1_0::isXMLChar(c)) {
      return false;
    }
  }
  MemBufFormatTarget target;
  XMLFormatter formatter("UTF-8", "1.0", &target, XMLFormatter::NoEscapes,
                         XMLFormatter::UnRep_Fail);
  formatter.formatBuf(wide.data(), wide.size(), XMLFormatter::AttrEscapes);
  out->assign(reinterpret_cast<const char*>(target.getRawBuffer()), target.getLen());
  return true;
}

std::string utf8(char32_t c) {
  return platform::utf16ToUtf8(
      c < 0x10000 ? std::u16string(1, static_cast<char16_t>(c))
                  : std::u16string{static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)),
                                   static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))});
}

// The export date is the day of the save: its value is emptied wherever it occurs.
std::string withoutDate(std::string file) {
  static const std::string kName = "exportDate=\"";
  for (size_t at = file.find(kName); at != std::string::npos; at = file.find(kName, at)) {
    at += kName.size();
    const size_t end = file.find('"', at);
    if (end == std::string::npos) break;
    file.erase(at, end - at);
  }
  return file;
}

class LibraryWriterTextTest : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    ASSERT_TRUE(session_.ok());
  }
  XercesSession session_;
};

TEST_F(LibraryWriterTextTest, EveryCharacterIsWrittenAsXercesWritesIt) {
  std::string expected, actual;
  for (char32_t c = 1; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::string value = "a" + utf8(c) + "z";
    expected.clear();
    actual.clear();
    const bool allowed = xercesAttributeText(value, &expected);
    ASSERT_EQ(appendXmlAttributeText(value, &actual), allowed) << "U+" << std::hex << c;
    if (allowed) {
      ASSERT_EQ(actual, expected) << "U+" << std::hex << c;
    }
  }
}

TEST_F(LibraryWriterTextTest, HostileTextIsWrittenAsXercesWritesIt) {
  const std::string cases[] = {
      "",
      "plain",
      "&<>\"'&amp;&#x41;]]>",
      "tab\tline\ncarriage\r\n end",
      std::string("before\0after", 12),
      std::string("\0", 1),
      "\xFF\xFE stray",
      "\xC0\x80 overlong NUL, \xE0\x80\xAF overlong slash",
      "\xED\xA0\x80 surrogate, \xED\xBF\xBF",
      "\xF4\x90\x80\x80 beyond, \xF5\x80\x80\x80",
      "truncated \xE2\x82",
      "truncated at end \xF0\x9F\x98",
      "\xE2\x82<\xC3",
      "bad \xFF then \x01 control",
      "\xC0\x80\x1F",
      "\xEF\xBF\xBE",
      "\xEF\xBF\xBF",
      "\xEF\xBF\xBD ok",
      "\x7F \xC2\x85 \xE2\x80\xA8 \xC2\xA0",
      "\xF0\x9F\x98\x80 \xF0\xA0\x80\x80 \xF4\x8F\xBF\xBF",
      std::string("ok\0\x01 after NUL is not written", 29),
  };
  for (const std::string& value : cases) {
    std::string expected, actual = "kept";
    const bool allowed = xercesAttributeText(value, &expected);
    EXPECT_EQ(appendXmlAttributeText(value, &actual), allowed) << value;
    EXPECT_EQ(actual, allowed ? "kept" + expected : "kept") << value;
  }
}

// A library whose every written text is hostile.
void fillHostile(EDALibrary* library) {
  library->setName("Lib & <Co> \"quoted\" 'single'");
  library->setFolder("C:\\EDA\\\xCE\xA9\tfolder\n");
  EDAGde* footprint = library->createGde("FP <0603> & \xF0\x9F\x98\x80", "Footprint");
  footprint->setReleaseStatus("Released\r");
  footprint->getOrCreateAttribute("folder")->setValue("lib/\"fp\"");
  EDAItem* first = library->createItem("R-1 \xE6\xBC\xA2", "name\xFF bad", "Resistor");
  first->setCategory("Res & Cap");
  first->setRevision("A\xC0\x80");
  first->setReleaseStatus(std::string("Released\0hidden", 15));
  EDAAttribute* value = first->getOrCreateAttribute("Value <Ohm>");
  value->setValue("10\xC2\xA0k & more \xF0\xA0\x80\x80");
  value->setUnit("k\xCE\xA9");
  first->getOrCreateAttribute("Note")->setValue("line1\nline2\ttab\r");
  EDAItem* second = library->createItem("R-2", "second", "Resistor");
  EDAAttribute* reference = second->getOrCreateAttribute("SecondSource");
  reference->setType("Reference");
  reference->setValue(first->getElemId());
  reference->setRequired(true);
  first->addRelation("view & <more>", footprint);
  second->addRelation(first);
  EDADataset* dataset = library->createDataset("sheet \"1\".pdf", "Datasheet");
  dataset->setFolder("docs/<1>\xEF\xBF\xBD");
  first->addRelation("datasheet", dataset);
}

TEST_F(LibraryWriterTextTest, SavedFilesMatchEarlierReleasesByteForByte) {
  const std::string golden = std::string(EDA_SOURCE_DIR) + "/metalink/tests/library/data/";
  EDALibrary sample;
  ASSERT_TRUE(sample.load((std::string(EDA_SOURCE_DIR) + "/examples/EDALib.xml").c_str()));
  ASSERT_TRUE(sample.save(path("sample.xml").c_str())) << sample.getLastError();
  EXPECT_EQ(withoutDate(read(path("sample.xml"))), withoutDate(read(golden + "saved_sample.xml")));

  EDALibrary hostile;
  fillHostile(&hostile);
  ASSERT_TRUE(hostile.save(path("hostile.xml").c_str())) << hostile.getLastError();
  EXPECT_EQ(withoutDate(read(path("hostile.xml"))),
            withoutDate(read(golden + "saved_hostile.xml")));
}

TEST_F(LibraryWriterTextTest, CharacterXmlCannotCarryFailsTheSaveAndKeepsTheOldFile) {
  struct Case {
    const char* name;
    std::string value;
    const char* error;
  } cases[] = {
      {"control in a value", "a\x01z", "the attribute value of attr"},
      {"U+FFFE in a unit", "\xEF\xBF\xBE", "the attribute unit of attr"},
      {"U+FFFF in a relation type", "\xEF\xBF\xBF", "the attribute type of relation"},
      {"escape in the library name", "\x1B[0m", "the attribute name of library"},
  };
  for (const Case& c : cases) {
    const std::string file = write("EDALib.xml", "previous library");
    EDALibrary library;
    fillHostile(&library);
    EDAItem* item = library.createItem("X", "x", "Resistor");
    const std::string what = c.name;
    if (what == "control in a value") item->getOrCreateAttribute("A")->setValue(c.value);
    if (what == "U+FFFE in a unit") item->getOrCreateAttribute("A")->setUnit(c.value);
    if (what == "U+FFFF in a relation type") item->addRelation(c.value, item);
    if (what == "escape in the library name") library.setName(c.value);
    EXPECT_FALSE(library.save(file.c_str())) << c.name;
    EXPECT_EQ(library.getLastError(),
              std::string("Fail to save EDALib.xml because invalid or illegal XML character in ") +
                  c.error)
        << c.name;
    EXPECT_EQ(read(file), "previous library") << c.name;
  }
}

}  // namespace
