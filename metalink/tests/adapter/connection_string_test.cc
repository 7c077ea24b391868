// Credentials beside a connection string: added as UID and PWD unless the string has its own,
// braced where the driver would otherwise cut the value short.
#include "adapter/connection_string.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace {

std::string utf8(const std::u16string& text) { return platform::utf16ToUtf8(text); }

TEST(ConnectionStringTest, OnlyTextWithAnEqualsSignIsAConnectionString) {
  EXPECT_FALSE(isConnectionString(u"PartsDb"));
  EXPECT_FALSE(isConnectionString(u""));
  EXPECT_TRUE(isConnectionString(u"DSN=PartsDb"));
  EXPECT_TRUE(isConnectionString(u"DRIVER=/usr/lib/x.so;Database=/tmp/a b.db"));
}

TEST(ConnectionStringTest, CredentialsAreAddedUnlessTheStringSetsThem) {
  struct Case {
    const char16_t* text;
    const char16_t* user;
    const char16_t* password;
    const char* expected;
  };
  const Case cases[] = {
      {u"DSN=a", u"", u"", "DSN=a"},
      {u"DSN=a", u"eda", u"secret", "DSN=a;UID=eda;PWD=secret"},
      {u"DSN=a;", u"eda", u"", "DSN=a;UID=eda"},
      {u"DSN=a;uid=own", u"eda", u"secret", "DSN=a;uid=own;PWD=secret"},
      {u"DSN=a; Password = own", u"eda", u"secret", "DSN=a; Password = own;UID=eda"},
      {u"Username=own;DSN=a", u"eda", u"", "Username=own;DSN=a"},
      // A braced value may hold what would otherwise end it; its keys are not the string's.
      {u"DSN=a;X={;UID=y;}", u"eda", u"", "DSN=a;X={;UID=y;};UID=eda"},
      {u"DSN=a;X={a}}b;PWD=c}", u"", u"p", "DSN=a;X={a}}b;PWD=c};PWD=p"},
      // Values that a driver would cut short or trim are braced, with '}' doubled.
      {u"DSN=a", u"eda", u"pa;ss", "DSN=a;UID=eda;PWD={pa;ss}"},
      {u"DSN=a", u"eda", u"}{x", "DSN=a;UID=eda;PWD={}}{x}"},
      {u"DSN=a", u" eda", u"x ", "DSN=a;UID={ eda};PWD={x }"},
      {u"DSN=a", u"\u00e9da", u"p\u00e4ss",
       "DSN=a;UID=\xc3\xa9"
       "da;PWD=p\xc3\xa4ss"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(utf8(withCredentials(c.text, c.user, c.password)), c.expected)
        << "string " << utf8(c.text) << ", user " << utf8(c.user);
  }
}

TEST(ConnectionStringTest, MessagesShowNoPassword) {
  struct Case {
    const char16_t* text;
    const char* shown;
  };
  const Case cases[] = {
      {u"PartsDb", "PartsDb"},
      {u"DSN=a;UID=eda", "DSN=a;UID=eda"},
      {u"DSN=a;PWD=secret;UID=eda", "DSN=a;PWD=***;UID=eda"},
      {u"password = secret", "password =***"},
      {u"DSN=a;PWD={se;cr}}et};Pwd=x", "DSN=a;PWD=***;Pwd=***"},
      {u"DSN=a;PWD=", "DSN=a;PWD=***"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(utf8(withoutPassword(c.text)), c.shown) << utf8(c.text);
  }
}

}  // namespace
