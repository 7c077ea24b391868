#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "sdk/vxn_container.h"
#include "sdk_test_util.h"
#include "shared_dir.h"

namespace vxn_test {
namespace {

using vxn_container::Container;
using vxn_container::ContainerPart;
using vxn_container::PartStream;
using vxnxml_api::Configuration;
using vxnxml_api::Result;
using vxnxml_api::String;

Result tryOpen(const std::string& path, int mode, const char* format = "ZRM") {
  Configuration configuration;
  if (format != nullptr) configuration.Set("format", format);
  Container* container = nullptr;
  const Result result = Container::Open(path.c_str(), mode, configuration, &container);
  EXPECT_EQ(result.Ok(), container != nullptr);
  EXPECT_TRUE(result.Ok() || !result.GetMessage().IsEmpty());
  Container::Close(container);
  return result;
}

std::string message(const Result& result) { return result.GetMessage().Narrow(); }

class ContainerTest : public TempDirTest {};

TEST_F(ContainerTest, PartsKeepOrderTypeAndDataAcrossReopen) {
  const std::string file = path("c.zrm");
  const std::string big = noise(300 * 1024 + 17, 1);
  Container* container = openContainer(file, 19);
  ASSERT_NE(container, nullptr);
  const std::vector<std::pair<std::string, std::string>> parts = {
      {"zeta.txt", "last letter"}, {"alpha/empty", ""}, {"Grüße.bin", big}};
  const char* types[] = {"text", "", "application/octet-stream"};
  for (size_t i = 0; i < parts.size(); ++i) {
    ContainerPart* part = nullptr;
    ASSERT_TRUE(container->CreatePart(parts[i].first.c_str(), types[i], &part).Ok());
    PartStream* stream = nullptr;
    ASSERT_TRUE(part->GetStream(ContainerPart::kWrite, &stream).Ok());
    // Several writes of uneven size, as a copy loop makes them.
    const std::string& data = parts[i].second;
    for (size_t at = 0; at < data.size(); at += 1000) {
      const size_t n = std::min<size_t>(1000, data.size() - at);
      ASSERT_EQ(stream->Write(data.data() + at, n, 1, 0), n);
    }
    ASSERT_TRUE(stream->Release().Ok());
    EXPECT_TRUE(part->Close().Ok());
  }
  EXPECT_FALSE(fileExists(file)) << "written before Close";
  ASSERT_TRUE(Container::Close(container).Ok());
  EXPECT_EQ(countEntries(dir_), 1) << "spool files or temporaries left behind";

  container = openContainer(file, 1);
  ASSERT_NE(container, nullptr);
  std::vector<ContainerPart*> listed;
  ASSERT_TRUE(container->GetParts(&listed).Ok());
  ASSERT_EQ(listed.size(), parts.size());
  for (size_t i = 0; i < parts.size(); ++i) {
    EXPECT_EQ(listed[i]->GetName().Narrow(), parts[i].first);
    EXPECT_EQ(listed[i]->GetType().Narrow(), types[i]);
    bool ok = false;
    EXPECT_EQ(readPart(listed[i], &ok), parts[i].second) << parts[i].first;
    EXPECT_TRUE(ok);
  }
  ContainerPart* found = nullptr;
  ASSERT_TRUE(container->GetPart("Grüße.bin", &found).Ok());
  EXPECT_EQ(found, listed[2]);
  Container::Close(container);
}

TEST_F(ContainerTest, OpenFailuresNameTheirCause) {
  writeFile(path("plain.txt"), "just some text, no archive");
  writeFile(path("empty"), "");
  ::mkdir(path("folder").c_str(), 0700);
  {  // a ZIP archive that is not a container
    int error = 0;
    zip_t* archive = zip_open(path("other.zip").c_str(), ZIP_CREATE, &error);
    ASSERT_NE(archive, nullptr);
    zip_source_t* source = zip_source_buffer(archive, "x", 1, 0);
    ASSERT_GE(zip_file_add(archive, "readme", source, 0), 0);
    ASSERT_EQ(zip_close(archive), 0);
  }
  makeContainer(path("good.zrm"), {});
  const std::string missing = path("missing.zrm");

  struct Case {
    std::string file;
    int mode;
    const char* format;
    std::string expected;  // the message starts with this
  } cases[] = {
      {missing, 1, "ZRM", "Container file " + missing + " does not exist"},
      {missing, 3, "ZRM", "Container file " + missing + " does not exist"},
      {path("plain.txt"), 1, "ZRM", "File " + path("plain.txt") + " is not a container: "},
      {path("plain.txt"), 19, "ZRM", "File " + path("plain.txt") + " is not a container: "},
      {path("empty"), 1, "ZRM", "File " + path("empty") + " is not a container: it is empty"},
      {path("other.zip"), 3, "ZRM",
       "File " + path("other.zip") + " is not a container: it has no container marker"},
      {path("folder"), 1, "ZRM", "Cannot open container " + path("folder") + ": it is a directory"},
      {path("good.zrm"), 0, "ZRM", "Invalid container open mode 0"},
      {path("good.zrm"), 16, "ZRM", "Invalid container open mode 16"},
      {path("good.zrm"), 17, "ZRM", "Invalid container open mode 17"},
      {path("good.zrm"), 33, "ZRM", "Invalid container open mode 33"},
      {path("good.zrm"), 1, "ZIP", "Unsupported container format \"ZIP\""},
      {path("good.zrm"), 1, nullptr, "Unsupported container format \"\""},
  };
  for (const Case& c : cases) {
    const Result result = tryOpen(c.file, c.mode, c.format);
    EXPECT_FALSE(result.Ok()) << c.file << " mode " << c.mode;
    EXPECT_EQ(message(result).substr(0, c.expected.size()), c.expected) << message(result);
  }
  EXPECT_FALSE(fileExists(missing));
  EXPECT_EQ(readFile(path("plain.txt")), "just some text, no archive");
  EXPECT_TRUE(tryOpen(path("good.zrm"), 1).Ok());
  EXPECT_TRUE(tryOpen(path("good.zrm"), 3).Ok());
  // Creating may start from an empty file, as a caller's freshly made temporary file is.
  EXPECT_TRUE(tryOpen(path("empty"), 19).Ok()) << message(tryOpen(path("empty"), 19));
  EXPECT_TRUE(tryOpen(path("empty"), 1).Ok());
}

TEST_F(ContainerTest, ModesGuardWritesAndNamesMustBeNewAndValid) {
  makeContainer(path("c.zrm"), {{"a.txt", "a"}});
  Container* reading = openContainer(path("c.zrm"), 1);
  ASSERT_NE(reading, nullptr);
  const std::string notWritable = "Container " + path("c.zrm") + " is not open for writing";
  ContainerPart* part = nullptr;
  EXPECT_EQ(message(reading->CreatePart("b.txt", "text", &part)), notWritable);
  EXPECT_EQ(part, nullptr);
  EXPECT_EQ(message(reading->SetProperty("n", "v", "k")), notWritable);
  ASSERT_TRUE(reading->GetPart("a.txt", &part).Ok());
  PartStream* stream = nullptr;
  EXPECT_EQ(message(part->GetStream(ContainerPart::kWrite, &stream)), notWritable);
  EXPECT_EQ(stream, nullptr);
  EXPECT_EQ(message(part->GetStream(4, &stream)), "Invalid part stream mode 4");
  EXPECT_EQ(message(reading->GetPart("b.txt", &part)),
            "Part b.txt not found in container " + path("c.zrm"));
  Container::Close(reading);

  Container* writing = openContainer(path("c.zrm"), 3);
  ASSERT_NE(writing, nullptr);
  EXPECT_EQ(message(writing->CreatePart("a.txt", "text", &part)),
            "Part a.txt already exists in container " + path("c.zrm"));
  EXPECT_EQ(message(writing->CreatePart("", "text", &part)), "Invalid part name \"\"");
  EXPECT_FALSE(writing->CreatePart(String(u"a\0b", 3), "text", &part).Ok());
  ASSERT_TRUE(writing->CreatePart("b.txt", "text", &part).Ok());
  ContainerPart* again = nullptr;
  EXPECT_EQ(message(writing->CreatePart("b.txt", "text", &again)),
            "Part b.txt already exists in container " + path("c.zrm"));
  EXPECT_EQ(again, nullptr);
  // A stream still in use keeps the part from closing.
  ASSERT_TRUE(part->GetStream(ContainerPart::kWrite, &stream).Ok());
  EXPECT_EQ(message(part->Close()), "Part b.txt still has an unreleased stream");
  // Part data is spooled one part at a time.
  ContainerPart* other = nullptr;
  ASSERT_TRUE(writing->CreatePart("c.txt", "text", &other).Ok());
  PartStream* second = nullptr;
  EXPECT_EQ(message(other->GetStream(ContainerPart::kWrite, &second)),
            "Cannot write part c.txt: the stream of another part is still open");
  EXPECT_EQ(second, nullptr);
  ASSERT_TRUE(stream->Release().Ok());
  ASSERT_TRUE(other->GetStream(ContainerPart::kWrite, &second).Ok());
  ASSERT_TRUE(second->Release().Ok());
  EXPECT_TRUE(part->Close().Ok());
  ASSERT_TRUE(Container::Close(writing).Ok());
}

TEST_F(ContainerTest, WritesReachTheFileOnlyAtClose) {
  makeContainer(path("c.zrm"), {{"a.txt", "first"}});
  const std::string before = readFile(path("c.zrm"));
  Container* container = openContainer(path("c.zrm"), 3);
  ASSERT_NE(container, nullptr);
  ContainerPart* part = nullptr;
  ASSERT_TRUE(container->CreatePart("b.txt", "text", &part).Ok());
  PartStream* stream = nullptr;
  ASSERT_TRUE(part->GetStream(ContainerPart::kWrite, &stream).Ok());
  ASSERT_EQ(stream->Write("second", 6, 1, 0), 6u);
  ASSERT_TRUE(stream->Release().Ok());
  ASSERT_TRUE(container->SetProperty("n", "v", "k").Ok());
  EXPECT_EQ(readFile(path("c.zrm")), before);
  ASSERT_TRUE(Container::Close(container).Ok());
  EXPECT_NE(readFile(path("c.zrm")), before);
  EXPECT_EQ(countEntries(dir_), 1);

  // Opening for writing and changing nothing leaves the file as it is.
  const std::string after = readFile(path("c.zrm"));
  ASSERT_TRUE(Container::Close(openContainer(path("c.zrm"), 3)).Ok());
  EXPECT_EQ(readFile(path("c.zrm")), after);
}

TEST_F(ContainerTest, FailedWriteAtCloseIsReportedAndLeavesNothing) {
  ::mkdir(path("gone").c_str(), 0700);
  const std::string file = path("gone/c.zrm");
  Container* container = openContainer(file, 19);
  ASSERT_NE(container, nullptr);
  ContainerPart* part = nullptr;
  ASSERT_TRUE(container->CreatePart("a.txt", "text", &part).Ok());
  ::rmdir(path("gone").c_str());
  const Result closed = Container::Close(container);
  EXPECT_FALSE(closed.Ok());
  const std::string prefix = "Cannot write container " + file + ": ";
  EXPECT_EQ(message(closed).substr(0, prefix.size()), prefix) << message(closed);
  EXPECT_EQ(countEntries(dir_), 0) << "spool files left behind";
}

// Part data waits in a stdio buffer on its way to the spool file, so a full disk may only show
// when the stream is released: that release must fail and the part must not take the truncated
// spool region as its data.
TEST_F(ContainerTest, DataTheSpoolCouldNotKeepFailsTheRelease) {
  makeContainer(path("c.zrm"), {{"a.txt", "kept"}});
  Container* container = openContainer(path("c.zrm"), 3);
  ASSERT_NE(container, nullptr);
  ContainerPart* part = nullptr;
  ASSERT_TRUE(container->GetPart("a.txt", &part).Ok());
  PartStream* stream = nullptr;
  ASSERT_TRUE(part->GetStream(ContainerPart::kWrite, &stream).Ok());
  const std::string data = noise(3000, 7);
  Result released;
  {
    FileSizeLimit limit(2000);
    ASSERT_EQ(stream->Write(data.data(), data.size(), 1, 0), data.size());
    released = stream->Release();
  }
  EXPECT_FALSE(released.Ok());
  EXPECT_EQ(message(released),
            "Cannot keep the data of part a.txt: the spool file could not be written");
  EXPECT_TRUE(part->Close().Ok());
  ASSERT_TRUE(Container::Close(container).Ok());

  container = openContainer(path("c.zrm"), 1);
  ASSERT_NE(container, nullptr);
  ASSERT_TRUE(container->GetPart("a.txt", &part).Ok());
  bool ok = false;
  EXPECT_EQ(readPart(part, &ok), "kept");
  EXPECT_TRUE(ok);
  part->Close();
  Container::Close(container);
}

TEST_F(ContainerTest, PropertiesArePerKeyAndSurviveAnyText) {
  makeContainer(path("c.zrm"), {{"a.txt", "a"}});
  const String awkward(u"line\nbreak\0nul 12:34\n\xD83D\xDE00", 24);
  Container* container = openContainer(path("c.zrm"), 3);
  ASSERT_NE(container, nullptr);
  ASSERT_TRUE(container->SetProperty("author", "Ann", "design").Ok());
  ASSERT_TRUE(container->SetProperty("note", awkward, "design").Ok());
  ASSERT_TRUE(container->SetProperty("author", "Bob", "release").Ok());
  ASSERT_TRUE(container->SetProperty("", "", "release").Ok());
  // Read back before Close, from the pending changes.
  std::map<String, String> design;
  ASSERT_TRUE(container->GetProperties("design", &design).Ok());
  EXPECT_EQ(design.size(), 2u);
  ASSERT_TRUE(Container::Close(container).Ok());

  container = openContainer(path("c.zrm"), 1);
  ASSERT_NE(container, nullptr);
  design.clear();
  ASSERT_TRUE(container->GetProperties("design", &design).Ok());
  EXPECT_EQ(design, (std::map<String, String>{{"author", "Ann"}, {"note", awkward}}));
  std::map<String, String> release;
  ASSERT_TRUE(container->GetProperties("release", &release).Ok());
  EXPECT_EQ(release, (std::map<String, String>{{"", ""}, {"author", "Bob"}}));
  std::map<String, String> none{{"stale", "entry"}};
  ASSERT_TRUE(container->GetProperties("unused", &none).Ok());
  EXPECT_TRUE(none.empty());
  // Properties never show up as parts.
  std::vector<ContainerPart*> parts;
  ASSERT_TRUE(container->GetParts(&parts).Ok());
  ASSERT_EQ(parts.size(), 1u);
  Container::Close(container);
}

TEST_F(ContainerTest, DamagedPropertyEntryIsReported) {
  makeContainer(path("c.zrm"), {});
  int error = 0;
  zip_t* archive = zip_open(path("c.zrm").c_str(), 0, &error);
  ASSERT_NE(archive, nullptr);
  zip_source_t* source = zip_source_buffer(archive, "5:abc\n", 6, 0);
  ASSERT_GE(zip_file_add(archive, "properties/k", source, 0), 0);
  ASSERT_EQ(zip_close(archive), 0);

  Container* container = openContainer(path("c.zrm"), 3);
  ASSERT_NE(container, nullptr);
  std::map<String, String> properties;
  EXPECT_EQ(message(container->GetProperties("k", &properties)),
            "Properties k of container " + path("c.zrm") + " are damaged");
  EXPECT_FALSE(container->SetProperty("n", "v", "k").Ok());
  Container::Close(container);
}

// Truncated archives and archives with bytes changed anywhere must be reported, never crash
// (this test runs under AddressSanitizer) and never pass damaged data off as good.
TEST_F(ContainerTest, DamagedArchivesAreReportedNotCrashedOn) {
  const std::string good = path("good.zrm");
  const std::string data = noise(20000, 3);
  const std::string text(30000, 'x');
  makeContainer(good, {{"noise.bin", data}, {"text.txt", text}});
  Container* props = openContainer(good, 3);
  ASSERT_NE(props, nullptr);
  ASSERT_TRUE(props->SetProperty("n", "v", "k").Ok());
  ASSERT_TRUE(Container::Close(props).Ok());
  const std::string original = readFile(good);

  std::vector<std::string> damaged;
  for (size_t cut : {size_t{0} + 10, original.size() / 3, original.size() / 2, original.size() - 30,
                     original.size() - 1}) {
    damaged.push_back(original.substr(0, cut));
  }
  for (size_t at = 0; at < original.size(); at += 97) {
    std::string flipped = original;
    flipped[at] = static_cast<char>(flipped[at] ^ 0x5A);
    damaged.push_back(flipped);
  }

  int refused = 0;
  int readFailures = 0;
  for (size_t i = 0; i < damaged.size(); ++i) {
    const std::string file = path("damaged.zrm");
    writeFile(file, damaged[i]);
    Configuration configuration;
    configuration.Set("format", "ZRM");
    Container* container = nullptr;
    const Result opened = Container::Open(file.c_str(), 1, configuration, &container);
    if (!opened.Ok()) {
      EXPECT_FALSE(opened.GetMessage().IsEmpty()) << "case " << i;
      ++refused;
      continue;
    }
    std::vector<ContainerPart*> parts;
    ASSERT_TRUE(container->GetParts(&parts).Ok());
    for (ContainerPart* part : parts) {
      bool ok = false;
      const std::string read = readPart(part, &ok);
      if (!ok) {
        ++readFailures;
      } else if (part->GetName().Narrow() == "noise.bin") {
        EXPECT_EQ(read, data) << "case " << i << ": damaged data read as good";
      } else if (part->GetName().Narrow() == "text.txt") {
        EXPECT_EQ(read, text) << "case " << i << ": damaged data read as good";
      }
    }
    std::map<String, String> properties;
    container->GetProperties("k", &properties);
    Container::Close(container);
  }
  EXPECT_GT(refused, 0);
  EXPECT_GT(readFailures, 0);
}

// With TEMP at a directory every user may write to, part data is spooled in a directory of the
// user's own, in a file only its owner can read; one planted by another user is refused.
TEST_F(ContainerTest, SpoolInASharedTemporaryDirectoryIsPrivate) {
  edatest::SharedDir shared;
  ASSERT_FALSE(shared.path().empty());
  setenv("TEMP", shared.path().c_str(), 1);  // the fixture puts TEMP back
  makeContainer(path("c.zrm"), {{"a.txt", "first"}});
  const std::string own = shared.path("vxncontainer-" + std::to_string(::geteuid()));
  unsigned owner = 0, mode = 0;
  ASSERT_TRUE(edatest::ownerAndMode(own, &owner, &mode));
  EXPECT_EQ(mode, 0700u);

  Container* container = openContainer(path("c.zrm"), 3);
  ASSERT_NE(container, nullptr);
  ContainerPart* part = nullptr;
  ASSERT_TRUE(container->CreatePart("b.txt", "text", &part).Ok());
  PartStream* stream = nullptr;
  ASSERT_TRUE(part->GetStream(ContainerPart::kWrite, &stream).Ok());
  ASSERT_EQ(stream->Write("second", 6, 1, 0), 6u);
  std::vector<std::string> spooled;
  for (const auto& entry : std::filesystem::directory_iterator(own)) {
    spooled.push_back(entry.path().string());
  }
  ASSERT_EQ(spooled.size(), 1u);
  ASSERT_TRUE(edatest::ownerAndMode(spooled[0], &owner, &mode));
  EXPECT_EQ(mode, 0600u);
  ASSERT_TRUE(stream->Release().Ok());
  EXPECT_TRUE(part->Close().Ok());
  ASSERT_TRUE(Container::Close(container).Ok());
  EXPECT_EQ(countEntries(own), 0) << "the spool file goes with the container";

  if (!edatest::canActAsOtherUser()) return;
  ASSERT_EQ(::rmdir(own.c_str()), 0);
  ASSERT_TRUE(edatest::asOtherUser("mkdir -m 777 " + own));
  container = openContainer(path("c.zrm"), 3);
  ASSERT_NE(container, nullptr);
  ASSERT_TRUE(container->CreatePart("c.txt", "text", &part).Ok());
  stream = nullptr;
  const Result refused = part->GetStream(ContainerPart::kWrite, &stream);
  EXPECT_EQ(stream, nullptr);
  EXPECT_EQ(message(refused), "Cannot write part c.txt: the directory " + own +
                                  " is refused: it belongs to another user (uid 65534)");
  EXPECT_TRUE(part->Close().Ok());
  Container::Close(container);
  EXPECT_EQ(countEntries(own), 0) << "nothing was written into the other user's directory";
}

}  // namespace
}  // namespace vxn_test
