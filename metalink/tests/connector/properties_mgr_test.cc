#include "connector/properties_mgr.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

#include "testsupport/temp_dir.h"

namespace {

class PropertiesMgrTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    dir_ = scratch_.path();
    path_ = dir_ + "/ODBCCon.ini";
  }
  void write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string read() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  testsupport::TempDir scratch_{"properties_test"};
  std::string dir_, path_;
};

TEST_F(PropertiesMgrTest, ReadsKeysValuesAndComments) {
  write(
      "  # a comment\n"
      "\tTabbed=1\n"
      "LogFile = C:\\a.log \r\n"
      "\n"
      "   \n"
      "===\n"
      "a=b=c\n"
      "LogFile=second\n"
      "Empty=\n"
      "last=no newline");
  PropertiesMgr p;
  ASSERT_TRUE(p.load(path_.c_str(), "#", "="));
  EXPECT_EQ(p.getProperty("LogFile"), "C:\\a.log");
  EXPECT_EQ(p.getProperty("\tTabbed"), "1") << "a tab does not start a comment";
  EXPECT_EQ(p.getProperty("a"), "b");
  EXPECT_EQ(p.getProperty("Empty"), "");
  EXPECT_EQ(p.getProperty("last"), "no newline");
  EXPECT_EQ(p.getProperty(nullptr), "");
  // The line of blanks is a key of its own (trimmed to empty), not a comment.
  EXPECT_EQ(p.getProperties().size(), 6u);
  EXPECT_EQ(p.getProperties().count(""), 1u);
}

TEST_F(PropertiesMgrTest, OverlongLineEndsTheReading) {
  write("k=" + std::string(1100, 'v') + "\nafter=1\n");
  PropertiesMgr p;
  ASSERT_TRUE(p.load(path_.c_str(), "#", "="));
  EXPECT_EQ(p.getProperty("k").size(), 1021u);
  EXPECT_EQ(p.getProperty("after"), "");
}

TEST_F(PropertiesMgrTest, SaveWritesSortedEntries) {
  PropertiesMgr p;
  EXPECT_FALSE(p.load((dir_ + "/missing.ini").c_str(), "#", "="));
  EXPECT_FALSE(p.load(nullptr, "#", "="));
  EXPECT_TRUE(p.addProperty("LogLevel", "info"));
  EXPECT_TRUE(p.addProperty("LogFile", "/tmp/x.log"));
  EXPECT_TRUE(p.addProperty("logA", "1"));
  EXPECT_FALSE(p.addProperty("LogFile", "other"));
  EXPECT_TRUE(p.removeProperty("absent"));
  EXPECT_FALSE(p.removeProperty(nullptr));
  ASSERT_TRUE(p.save(path_.c_str(), "="));
  EXPECT_EQ(read(), "LogFile=/tmp/x.log\nLogLevel=info\nlogA=1\n");
  EXPECT_FALSE(p.save((dir_ + "/no/dir.ini").c_str(), "="));
}

}  // namespace
