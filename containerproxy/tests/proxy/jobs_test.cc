#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <map>
#include <string>
#include <vector>

#include "../sdk/sdk_test_util.h"
#include "proxy/container_jobs.h"
#include "proxy/part_copy.h"

namespace containerproxy {
namespace {

using vxn_test::fileExists;
using vxn_test::readFile;
using vxn_test::writeFile;

class JobsTest : public vxn_test::TempDirTest {
 protected:
  // Reads parts from a table, as the natives read them from a Java array.
  static PartSourceReader partsFrom(const std::vector<PartSource>& parts) {
    return [parts](int i, PartSource* part, String*) {
      *part = parts[static_cast<size_t>(i)];
      return true;
    };
  }
  static PropertyReader propertiesFrom(const std::vector<PropertyEntry>& properties) {
    return [properties](int i, PropertyEntry* property, String*) {
      *property = properties[static_cast<size_t>(i)];
      return true;
    };
  }
  String at(const std::string& name) const { return String::FromNarrow(path(name)); }
};

void expectOk(const JobOutcome& outcome) {
  EXPECT_TRUE(outcome.ok) << outcome.message.Narrow();
  EXPECT_TRUE(outcome.message.IsEmpty());
}

void expectFailure(const JobOutcome& outcome, const std::string& message) {
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.message.Narrow(), message);
}

TEST_F(JobsTest, AddedFilesComeBackByteForByte) {
  writeFile(path("big"), vxn_test::noise(3 * 1024 * 1024 + 5, 9));
  writeFile(path("empty"), "");
  writeFile(path("odd"), std::string(kCopyBufferSize + 1, 'q'));
  const std::vector<PartSource> parts = {
      {at("big"), "big.bin", "binary"}, {at("empty"), "empty.txt", "text"}, {at("odd"), "odd", ""}};
  expectOk(addParts(at("c.zrm"), 3, partsFrom(parts)));

  ::mkdir(path("all").c_str(), 0700);
  expectOk(extractAllParts(at("c.zrm"), at("all")));
  const std::pair<const char*, const char*> sourceAndPart[] = {
      {"big", "big.bin"}, {"empty", "empty.txt"}, {"odd", "odd"}};
  for (const auto& [source, part] : sourceAndPart) {
    ASSERT_TRUE(fileExists(path("all/") + part)) << part;
    EXPECT_EQ(readFile(path("all/") + part), readFile(path(source))) << part;
  }
  ::mkdir(path("one").c_str(), 0700);
  expectOk(extractPart(at("c.zrm"), at("one"), "odd"));
  EXPECT_EQ(vxn_test::countEntries(path("one")), 1);
  EXPECT_EQ(readFile(path("one/odd")), readFile(path("odd")));
  // No spool file or temporary archive is left behind.
  EXPECT_EQ(vxn_test::countEntries(dir_), 6);
}

TEST_F(JobsTest, FailuresCarryTheirMessages) {
  writeFile(path("a"), "a");
  const std::vector<PartSource> parts = {
      {at("a"), "a", "text"}, {at("missing"), "missing.txt", "text"}, {at("a"), "late", "text"}};
  expectFailure(addParts(at("c.zrm"), 3, partsFrom(parts)), "Add part missing.txt fails");
  // A failed AddParts creates no container.
  EXPECT_FALSE(fileExists(path("c.zrm")));
  expectOk(addParts(at("c.zrm"), 1, partsFrom({{at("a"), "a", "text"}})));
  expectFailure(extractPart(at("c.zrm"), at(""), "late"),
                "Part late not found in container " + path("c.zrm"));
  expectFailure(addParts(at("c.zrm"), 1, partsFrom({{at("a"), "a", "text"}})),
                "Part a already exists in container " + path("c.zrm"));
  expectFailure(extractAllParts(at("nothing.zrm"), at("")),
                "Container file " + path("nothing.zrm") + " does not exist");
  // No directory is made for the target.
  expectFailure(extractPart(at("c.zrm"), at("no-dir"), "a"),
                "Extract parts to " + path("no-dir") + "/a fails");
  expectFailure(extractAllParts(at("c.zrm"), at("no-dir")),
                "Extract parts to " + path("no-dir") + " fails");

  auto refuse = [](int i, PartSource*, String* error) {
    *error = String::FromNarrow("entry " + std::to_string(i) + " unreadable");
    return false;
  };
  expectFailure(addParts(at("c.zrm"), 1, refuse), "entry 0 unreadable");
  expectOk(addParts(at("c.zrm"), 0, refuse));
}

TEST_F(JobsTest, AFailedJobLeavesTheContainerAsItWas) {
  writeFile(path("a"), "a");
  expectOk(addParts(at("c.zrm"), 1, partsFrom({{at("a"), "first", "text"}})));
  expectOk(setProperties(at("c.zrm"), "k", 1, propertiesFrom({{"p", "1"}})));
  const std::string before = readFile(path("c.zrm"));
  const std::vector<PartSource> parts = {{at("a"), "second", "text"},
                                         {at("missing"), "third", "text"}};
  expectFailure(addParts(at("c.zrm"), 2, partsFrom(parts)), "Add part third fails");
  auto failAtSecond = [](int i, PropertyEntry* property, String* error) {
    *property = {"q", "2"};
    if (i == 1) *error = "no second property";
    return i == 0;
  };
  expectFailure(setProperties(at("c.zrm"), "k", 2, failAtSecond), "no second property");
  EXPECT_EQ(readFile(path("c.zrm")), before);
  // Neither spool files nor temporary archives stay behind.
  EXPECT_EQ(vxn_test::countEntries(dir_), 2);
}

TEST_F(JobsTest, APartWhoseDataCannotBeKeptFailsTheJob) {
  writeFile(path("small"), "small");
  writeFile(path("big"), std::string(3000, 'b'));
  expectOk(addParts(at("c.zrm"), 1, partsFrom({{at("small"), "small", "t"}})));
  const std::string before = readFile(path("c.zrm"));
  {
    // The part's bytes are buffered on their way to the spool file, so the copy itself succeeds
    // and the failure only shows when the stream is released.
    vxn_test::FileSizeLimit limit(2000);
    expectFailure(addParts(at("c.zrm"), 1, partsFrom({{at("big"), "big", "t"}})),
                  "Add part big fails");
  }
  EXPECT_EQ(readFile(path("c.zrm")), before);
}

TEST_F(JobsTest, NamesExtractionWouldRefuseAreNotAdded) {
  writeFile(path("a"), "a");
  const char* const refused[] = {
      "../up.txt", "sub/../../up.txt", "..\\up.txt", "/abs.txt", "sub/", ".", "sub/.", "C:\\a.txt"};
  for (const char* name : refused) {
    expectFailure(
        addParts(at("c.zrm"), 2, partsFrom({{at("a"), "fine", "t"}, {at("a"), name, "t"}})),
        std::string("Part name ") + name + " cannot be extracted");
  }
  EXPECT_FALSE(fileExists(path("c.zrm")));
}

TEST_F(JobsTest, AFailedContainerWriteIsNotReportedAsSuccess) {
  writeFile(path("a"), "a");
  ::mkdir(path("gone").c_str(), 0700);
  // The directory disappears while the job runs, so the container cannot be written at the end.
  auto readAndRemove = [&](int, PartSource* part, String*) {
    *part = {at("a"), "a", "text"};
    ::rmdir(path("gone").c_str());
    return true;
  };
  const JobOutcome outcome = addParts(at("gone/c.zrm"), 1, readAndRemove);
  EXPECT_FALSE(outcome.ok);
  const std::string prefix = "Cannot write container " + path("gone/c.zrm") + ": ";
  EXPECT_EQ(outcome.message.Narrow().substr(0, prefix.size()), prefix);
}

TEST_F(JobsTest, NamesThatWouldEscapeAreRefused) {
  // Such names can only come from a container written elsewhere.
  vxn_test::makeContainer(path("c.zrm"), {{"fine.txt", "payload"}, {"../up.txt", "evil"}});
  ::mkdir(path("out").c_str(), 0700);
  expectFailure(extractPart(at("c.zrm"), at("out"), "../up.txt"),
                "Part ../up.txt would be written outside " + path("out"));
  expectFailure(extractAllParts(at("c.zrm"), at("out")),
                "Part ../up.txt would be written outside " + path("out"));
  EXPECT_FALSE(fileExists(path("up.txt")));
  EXPECT_EQ(readFile(path("out/fine.txt")), "payload");
}

TEST_F(JobsTest, ExtractionNeverWritesThroughWhatIsPlantedInTheTarget) {
  vxn_test::makeContainer(path("c.zrm"),
                          {{"link.txt", "new"}, {"sub/inner.txt", "inner"}, {"fifo", "f"}});
  ::mkdir(path("out").c_str(), 0700);
  ::mkdir(path("elsewhere").c_str(), 0700);
  writeFile(path("precious.txt"), "precious");
  // A link in the target is replaced by the part; the file it pointed to stays as it was.
  ASSERT_EQ(::symlink(path("precious.txt").c_str(), path("out/link.txt").c_str()), 0);
  expectOk(extractPart(at("c.zrm"), at("out"), "link.txt"));
  EXPECT_EQ(readFile(path("precious.txt")), "precious");
  struct stat info;
  ASSERT_EQ(::lstat(path("out/link.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(readFile(path("out/link.txt")), "new");

  // A linked directory would lead the part out of the target.
  ASSERT_EQ(::symlink(path("elsewhere").c_str(), path("out/sub").c_str()), 0);
  expectFailure(extractPart(at("c.zrm"), at("out"), "sub/inner.txt"),
                "Part sub/inner.txt would be written outside " + path("out"));
  EXPECT_EQ(vxn_test::countEntries(path("elsewhere")), 0);

  // A FIFO is refused rather than opened (which would block or feed a reader).
  ASSERT_EQ(::mkfifo(path("out/fifo").c_str(), 0600), 0);
  expectFailure(extractPart(at("c.zrm"), at("out"), "fifo"),
                "Extract parts to " + path("out/fifo") + " fails");
  ASSERT_EQ(::lstat(path("out/fifo").c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  expectFailure(extractAllParts(at("c.zrm"), at("out")),
                "Part sub/inner.txt would be written outside " + path("out"));
  EXPECT_EQ(vxn_test::countEntries(path("elsewhere")), 0);
  EXPECT_EQ(vxn_test::countEntries(path("out")), 3);
}

// Flips bits of one byte of a file.
void damageByte(const std::string& file, size_t at) {
  std::string bytes = readFile(file);
  ASSERT_LT(at, bytes.size());
  bytes[at] = static_cast<char>(bytes[at] ^ 0x20);
  writeFile(file, bytes);
}

size_t centralHeaderOf(const std::string& bytes, const std::string& entry) {
  for (size_t at = bytes.find("PK\1\2"); at != std::string::npos;
       at = bytes.find("PK\1\2", at + 1)) {
    const size_t length = static_cast<unsigned char>(bytes[at + 28]) |
                          static_cast<size_t>(static_cast<unsigned char>(bytes[at + 29])) << 8;
    if (bytes.compare(at + 46, length, entry) == 0) return at;
  }
  return std::string::npos;
}

TEST_F(JobsTest, DamagedPartDataFailsTheExtraction) {
  const std::string data = vxn_test::noise(200 * 1024, 5);
  vxn_test::makeContainer(path("c.zrm"), {{"data.bin", data}});
  // A byte in the middle of the part's data: the read fails on its CRC or its compressed
  // form, and that must not pass for the end of the data.
  damageByte(path("c.zrm"), 100 * 1024);
  ::mkdir(path("out").c_str(), 0700);
  // A failed extraction leaves the file it would have replaced.
  writeFile(path("out/data.bin"), "older");
  expectFailure(extractPart(at("c.zrm"), at("out"), "data.bin"),
                "Extract parts to " + path("out/data.bin") + " fails");
  expectFailure(extractAllParts(at("c.zrm"), at("out")),
                "Extract parts to " + path("out") + " fails");
  EXPECT_EQ(readFile(path("out/data.bin")), "older");
  EXPECT_EQ(vxn_test::countEntries(path("out")), 1);
}

TEST_F(JobsTest, DamagedPropertiesAreAFailureNotAnEmptyMap) {
  expectOk(addParts(at("c.zrm"), 0, partsFrom({})));
  expectOk(setProperties(at("c.zrm"), "k", 1, propertiesFrom({{"name", "value"}})));
  const std::string bytes = readFile(path("c.zrm"));
  const size_t central = centralHeaderOf(bytes, "properties/k");
  ASSERT_NE(central, std::string::npos);
  auto u16 = [&](size_t at) {
    return static_cast<size_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
  };
  const size_t local = u16(central + 42);
  damageByte(path("c.zrm"), local + 30 + u16(local + 26) + u16(local + 28));

  std::map<String, String> properties = {{"stale", "entry"}};
  EXPECT_FALSE(getProperties(at("c.zrm"), "k", &properties));
  ASSERT_TRUE(getProperties(at("c.zrm"), "other", &properties));
  EXPECT_TRUE(properties.empty());
}

TEST_F(JobsTest, APartWithoutAStreamIsNotCopied) {
  vxn_test::makeContainer(path("c.zrm"), {{"a.txt", "aaaa"}});
  // An unknown encryption method in the central and local headers keeps the archive consistent
  // but leaves the part without a readable stream.
  std::string bytes = readFile(path("c.zrm"));
  const size_t central = centralHeaderOf(bytes, "parts/a.txt");
  ASSERT_NE(central, std::string::npos);
  const size_t local = static_cast<unsigned char>(bytes[central + 42]) |
                       static_cast<size_t>(static_cast<unsigned char>(bytes[central + 43])) << 8;
  bytes[central + 8] |= 1;  // general purpose flag: encrypted
  bytes[local + 6] |= 1;
  writeFile(path("c.zrm"), bytes);
  ::mkdir(path("out").c_str(), 0700);
  expectFailure(extractPart(at("c.zrm"), at("out"), "a.txt"),
                "Extract parts to " + path("out/a.txt") + " fails");
  EXPECT_FALSE(fileExists(path("out/a.txt")));
}

TEST_F(JobsTest, PropertiesRoundTripAndFailures) {
  expectOk(addParts(at("c.zrm"), 0, partsFrom({})));
  expectOk(setProperties(at("c.zrm"), "k1", 2, propertiesFrom({{"a", "1"}, {"b", "2"}})));
  expectOk(setProperties(at("c.zrm"), "k2", 1, propertiesFrom({{"a", "other"}})));
  const std::string before = readFile(path("c.zrm"));
  expectOk(setProperties(at("c.zrm"), "k1", 0, propertiesFrom({})));
  EXPECT_EQ(readFile(path("c.zrm")), before);

  std::map<String, String> properties;
  ASSERT_TRUE(getProperties(at("c.zrm"), "k1", &properties));
  EXPECT_EQ(properties, (std::map<String, String>{{"a", "1"}, {"b", "2"}}));
  ASSERT_TRUE(getProperties(at("c.zrm"), "k2", &properties));
  EXPECT_EQ(properties, (std::map<String, String>{{"a", "other"}}));
  ASSERT_TRUE(getProperties(at("c.zrm"), "none", &properties));
  EXPECT_TRUE(properties.empty());
  EXPECT_FALSE(getProperties(at("missing.zrm"), "k1", &properties));
  expectFailure(setProperties(at("missing.zrm"), "k1", 1, propertiesFrom({{"a", "1"}})),
                "Container file " + path("missing.zrm") + " does not exist");
  EXPECT_FALSE(fileExists(path("missing.zrm")));
}

}  // namespace
}  // namespace containerproxy
