#include "util/xml_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/PlatformUtils.hpp>

namespace {

using namespace XERCES_CPP_NAMESPACE;

class XmlTextTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { XMLPlatformUtils::Initialize(); }
  static void TearDownTestSuite() { XMLPlatformUtils::Terminate(); }

  DOMElement* parse(const char* xml) {
    parser_ = std::make_unique<XercesDOMParser>();
    MemBufInputSource source(reinterpret_cast<const XMLByte*>(xml), std::strlen(xml), "test");
    parser_->parse(source);
    return parser_->getDocument()->getDocumentElement();
  }
  std::unique_ptr<XercesDOMParser> parser_;
};

TEST_F(XmlTextTest, HoldersConvertBothWaysAndKeepNull) {
  A2XStr wide("R\xC3\xA9sistance");
  ASSERT_NE(wide.get(), nullptr);
  EXPECT_EQ(std::u16string(wide.get()), u"R\u00E9sistance");
  X2AStr narrow(wide.get());
  EXPECT_STREQ(narrow.get(), "R\xC3\xA9sistance");
  EXPECT_EQ(A2XStr(nullptr).get(), nullptr);
  EXPECT_EQ(X2AStr(nullptr).get(), nullptr);
}

TEST_F(XmlTextTest, AttributeLookupIgnoresCaseAndTakesFirstInParserOrder) {
  DOMElement* e = parse("<e NAME=\"first\" name=\"second\" v=\"\xC3\xA9\"/>");
  std::unique_ptr<char[]> text;
  size_t length = 99;
  ASSERT_TRUE(getAttributeText(e, "name", &text, &length));
  EXPECT_STREQ(text.get(), "first");
  EXPECT_EQ(length, 5u);
  ASSERT_TRUE(getAttributeText(e, "V", &text, &length));
  EXPECT_STREQ(text.get(), "\xC3\xA9");
  EXPECT_EQ(length, 2u);
  EXPECT_FALSE(getAttributeText(e, "missing", &text, &length));
  EXPECT_EQ(text, nullptr);
  EXPECT_EQ(length, 0u);
  EXPECT_FALSE(getAttributeText(nullptr, "name", &text, &length));
  EXPECT_FALSE(getAttributeText(e, nullptr, &text, &length));
  EXPECT_FALSE(getAttributeText(parse("<bare/>"), "name", &text, &length));
}

}  // namespace
