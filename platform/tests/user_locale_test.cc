#include "platform/user_locale.h"

#include <gtest/gtest.h>
#include <langinfo.h>

#include <clocale>
#include <string>
#include <thread>

#include "testsupport/scoped_env.h"

namespace platform {
namespace {

using testsupport::ScopedEnv;

// The codeset of the calling thread's locale: "UTF-8" in C.UTF-8, "ANSI_X3.4-1968" in C.
std::string threadCodeset() { return nl_langinfo(CODESET); }

TEST(UserLocaleTest, OnlyTheCallingThreadRunsInTheUsersLocaleAndOnlyForTheScope) {
  const std::string processLocale = std::setlocale(LC_ALL, nullptr);
  const std::string before = threadCodeset();
  ScopedEnv lcAll("LC_ALL", "C.UTF-8");
  {
    ScopedUserLocale user;
    ASSERT_TRUE(user.active());
    EXPECT_EQ("UTF-8", threadCodeset());
    // The host's locale, and so every other thread's, stays as the host set it.
    EXPECT_EQ(processLocale, std::setlocale(LC_ALL, nullptr));
    std::string otherThread;
    std::thread([&otherThread] { otherThread = threadCodeset(); }).join();
    EXPECT_EQ(before, otherThread);
  }
  EXPECT_EQ(before, threadCodeset());
  EXPECT_EQ(processLocale, std::setlocale(LC_ALL, nullptr));
}

TEST(UserLocaleTest, ScopesNestAndAnUnknownLocaleLeavesTheThreadAsItWas) {
  const std::string before = threadCodeset();
  ScopedEnv lcAll("LC_ALL", "C.UTF-8");
  {
    ScopedUserLocale outer;
    ASSERT_TRUE(outer.active());
    {
      ScopedEnv unknown("LC_ALL", "xx_XX.NoSuchCodeset");
      ScopedUserLocale inner;
      EXPECT_FALSE(inner.active());
      EXPECT_EQ("UTF-8", threadCodeset());
    }
    EXPECT_EQ("UTF-8", threadCodeset());
  }
  EXPECT_EQ(before, threadCodeset());
}

}  // namespace
}  // namespace platform
