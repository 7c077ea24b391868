#include <gtest/gtest.h>

#include <string>

#include "sdk/vxnxml_configuration.h"
#include "sdk/vxnxml_file_stream.h"
#include "sdk/vxnxml_string.h"
#include "sdk_test_util.h"

namespace vxn_test {
namespace {

using vxnxml_api::FileStream;
using vxnxml_api::String;

TEST(StringTest, ConvertsBetweenUtf16AndNarrowText) {
  const String fromWide(u"Gr\u00FC\u00DFe \xD83D\xDCE6", 8);
  EXPECT_EQ(fromWide.Narrow(), "Grüße 📦");
  EXPECT_EQ(fromWide.GetLength(), 8u);
  EXPECT_EQ(String("Grüße 📦"), fromWide);
  // A pair split over the two halves of a join comes out whole.
  const String joined = String(u"a\xD83D", 2) + String(u"\xDCE6", 1);
  EXPECT_EQ(joined.Narrow(), "a📦");
  EXPECT_EQ("x" + String("y") + "z", String("xyz"));
  EXPECT_EQ(String(static_cast<const char*>(nullptr)).GetLength(), 0u);
  EXPECT_TRUE(String(u"a\0b", 3).ContainsNul());
  vxnxml_api::Configuration configuration;
  EXPECT_TRUE(configuration.Get("format").IsEmpty());
  configuration.Set("format", "ZRM");
  EXPECT_EQ(configuration.Get("format"), String("ZRM"));
}

class FileStreamTest : public TempDirTest {};

TEST_F(FileStreamTest, ReadsAndWritesInUnits) {
  FileStream out;
  ASSERT_TRUE(out.Open(path("f").c_str(), FileStream::kWrite).Ok());
  EXPECT_EQ(out.Write("abcdef", 3, 2, 0), 3u);
  EXPECT_EQ(out.Write("g", 0, 1, 0), 0u);
  EXPECT_FALSE(out.Failed());
  char buffer[8];
  EXPECT_EQ(out.Read(buffer, 1, 1, 0), 0u) << "read from a stream opened for writing";
  EXPECT_TRUE(out.Failed());
  ASSERT_TRUE(out.Close().Ok());
  EXPECT_EQ(readFile(path("f")), "abcdef");

  FileStream in;
  ASSERT_TRUE(in.Open(path("f").c_str(), FileStream::kRead).Ok());
  EXPECT_EQ(in.Read(buffer, 2, 2, 0), 2u);
  EXPECT_EQ(std::string(buffer, 4), "abcd");
  EXPECT_EQ(in.Read(buffer, 4, 1, 0), 2u);
  EXPECT_EQ(in.Read(buffer, 4, 1, 0), 0u);
  EXPECT_FALSE(in.Failed()) << "the end of the file is no failure";
  EXPECT_EQ(in.Read(buffer, 4, 1, 1), 0u);
  EXPECT_TRUE(in.Failed()) << "unknown flags";
}

TEST_F(FileStreamTest, OpenFailuresAreReported) {
  writeFile(path("exists"), "x");
  struct Case {
    String file;
    int mode;
    std::string expected;
  } cases[] = {
      {path("missing").c_str(), FileStream::kRead, "Cannot open file " + path("missing") + ": "},
      {dir_.c_str(), FileStream::kRead, "Cannot open file " + dir_ + ": it is a directory"},
      {path("no/such/dir").c_str(), FileStream::kWrite, "Cannot open file " + path("no/such/dir")},
      {path("exists").c_str(), 3, "Invalid file stream mode 3"},
      {String::FromNarrow(path("a") + std::string("\0b", 2)), FileStream::kWrite,
       "Invalid file path"},
      {"", FileStream::kRead, "Invalid file path"},
  };
  for (const Case& c : cases) {
    FileStream stream;
    const vxnxml_api::Result result = stream.Open(c.file, c.mode);
    EXPECT_FALSE(result.Ok()) << c.file.Narrow();
    EXPECT_EQ(result.GetMessage().Narrow().substr(0, c.expected.size()), c.expected);
    EXPECT_FALSE(stream.IsOpen());
  }
  EXPECT_FALSE(fileExists(path("a")));
  FileStream twice;
  ASSERT_TRUE(twice.Open(path("exists").c_str(), FileStream::kRead).Ok());
  EXPECT_FALSE(twice.Open(path("exists").c_str(), FileStream::kRead).Ok());
}

}  // namespace
}  // namespace vxn_test
