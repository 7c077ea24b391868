// The exported entry points: result codes, log lines, error output and stream handling.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "minixml_fixture.h"
#include "shared_dir.h"

namespace minixml_test {
namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

const char* const kHeader = "Morvane minixml parser output\n";
const std::string kWellFormed = "<r xmlns=\"urn:x\"><EDAStatus status=\"s\"/></r>";

// True when every getter yields null and also stores null through its argument.
bool allGettersNull() {
  auto yieldsNull = [](Getter get) {
    void* out = reinterpret_cast<void*>(0x1);
    return get(&out) == nullptr && out == nullptr;
  };
  if (!yieldsNull(minixml_parser_getCCAElements)) return false;
  for (Getter get : kStatusGetters) {
    if (!yieldsNull(get)) return false;
  }
  return true;
}

// Identity of the file a descriptor points to.
std::pair<dev_t, ino_t> fileOf(int fd) {
  struct stat st {};
  fstat(fd, &st);
  return {st.st_dev, st.st_ino};
}

using ParserInterfaceTest = MinixmlTest;

TEST_F(ParserInterfaceTest, InitTruncatesTheLogAndWritesItsHeader) {
  writeFile(logPath(), "left over from an earlier run\n");
  open();
  close();
  EXPECT_EQ(initResult_, 0);
  EXPECT_EQ(log(), kHeader);
}

TEST_F(ParserInterfaceTest, InitOnAnUnwritableLogReturnsMinusOneAndLeavesStdoutAlone) {
  auto before = fileOf(STDOUT_FILENO);
  CaptureStdout();
  int code = minixml_parser_init(path("missing/dir/log.txt").c_str());
  std::string printed = GetCapturedStdout();

  EXPECT_EQ(code, -1);
  EXPECT_EQ(printed, "error on freopen\n");
  EXPECT_EQ(fileOf(STDOUT_FILENO), before);
  EXPECT_TRUE(allGettersNull());
}

TEST_F(ParserInterfaceTest, ArgumentChecksReturnTheirCodesAndLogTheReason) {
  const std::string file = path("doc.xml");
  writeFile(file, kWellFormed);
  const struct {
    const char* name;
    int (*call)(const std::string& file, const std::string& err);
    int code;
    const char* message;
  } cases[] = {
      {"parse, empty file",
       [](const std::string&, const std::string& err) {
         return minixml_parser_parse("", "Status", err.c_str());
       },
       333, "Null xml file name encountered for inputXmlFile"},
      {"parse, null file",
       [](const std::string&, const std::string& err) {
         return minixml_parser_parse(nullptr, "Status", err.c_str());
       },
       333, "Null xml file name encountered for inputXmlFile"},
      {"parse, empty mode",
       [](const std::string& f, const std::string& err) {
         return minixml_parser_parse(f.c_str(), "", err.c_str());
       },
       555, "Null value encountered for parseMode"},
      {"parse, null mode",
       [](const std::string& f, const std::string& err) {
         return minixml_parser_parse(f.c_str(), nullptr, err.c_str());
       },
       555, "Null value encountered for parseMode"},
      {"test, empty file",
       [](const std::string&, const std::string& err) {
         return minixml_parser_test("", err.c_str());
       },
       33, "Null xml file name encountered for inputXmlFile"},
  };
  for (const auto& c : cases) {
    open();
    int code = c.call(file, errorPath());
    close();
    SCOPED_TRACE(c.name);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(log(), std::string(kHeader) + "Message from Morvane: " + std::to_string(c.code) +
                         ":" + c.message + "\n");
  }
}

TEST_F(ParserInterfaceTest, ParseWithoutInitIsReportedAsAFailure) {
  const std::string file = path("doc.xml");
  writeFile(file, kWellFormed);
  CaptureStdout();
  int code = minixml_parser_parse(file.c_str(), "Status", errorPath().c_str());
  std::string printed = GetCapturedStdout();

  EXPECT_EQ(code, MINIXML_NO_PARSER);
  EXPECT_EQ(printed, "Working with xml file = " + file +
                         ", parse mode = Status\nerrOutFile = " + errorPath() +
                         "\nMessage from Morvane: 11:The xml parser does not exist.\n");
  EXPECT_TRUE(allGettersNull());
}

TEST_F(ParserInterfaceTest, GettersYieldNullOutsideARoundAndRecordsOutliveIt) {
  EXPECT_TRUE(allGettersNull());
  open();
  parse("<BOM><CCA name=\"board\"/></BOM>", "Bom", "bom.xml");
  parse(kWellFormed, "Status");
  auto* cca = static_cast<CCAElements*>(minixml_parser_getCCAElements(nullptr));
  auto* status = static_cast<EDAStatusElement*>(minixml_parser_getEDAStatus(nullptr));
  close();

  EXPECT_TRUE(allGettersNull());
  ASSERT_NE(cca, nullptr);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(text(cca->name), "board");
  EXPECT_EQ(text(status->status), "s");
}

TEST_F(ParserInterfaceTest, InitAfterCloseStartsAFreshRound) {
  open();
  parse(kWellFormed, "Status");
  auto* first = static_cast<EDAStatusElement*>(minixml_parser_getEDAStatus(nullptr));
  close();
  open();
  bool freshRoundEmpty = allGettersNull();
  parse("<r xmlns=\"urn:x\"><EDAStatus status=\"again\"/></r>", "Status");
  auto* second = static_cast<EDAStatusElement*>(minixml_parser_getEDAStatus(nullptr));
  close();

  EXPECT_TRUE(freshRoundEmpty);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(text(first->status), "s");
  EXPECT_EQ(text(second->status), "again");
}

TEST_F(ParserInterfaceTest, SuccessfulParseLogsOnlyWhatItWorkedOn) {
  open();
  int code = parse(kWellFormed, "Status");
  close();

  EXPECT_EQ(code, 0);
  EXPECT_EQ(log(), std::string(kHeader) + "Working with xml file = " + path("doc.xml") +
                       ", parse mode = Status\nerrOutFile = " + errorPath() + "\n");
}

TEST_F(ParserInterfaceTest, UnknownModeIsReportedAndTheFileStillParsed) {
  open();
  int good = parse(kWellFormed, "status");
  std::string goodErrors = errors();
  void* status = minixml_parser_getEDAStatus(nullptr);
  int bad = parse("<r><unclosed></r>", "status", "bad.xml");
  close();

  EXPECT_EQ(good, 0);
  EXPECT_EQ(status, nullptr);
  EXPECT_EQ(goodErrors, "\nInvalid parseMode value received.status:" + path("doc.xml") + "\n\n");
  // Without a handler nothing is written about the error, but it is still counted.
  EXPECT_EQ(bad, 1001);
}

TEST_F(ParserInterfaceTest, ReaderErrorsGive1000PlusTheirCountAndAreReported) {
  open();
  int one = parse("<r xmlns=\"urn:x\">\n  <EDAStatus status=\"s\">\n</r>\n", "Status", "one.xml");
  std::string oneErrors = errors();
  // The reader stops at its first fatal error, so a second malformed spot is never reached.
  int two = parse("<r>\n<a></b>\n<c></d>\n</r>\n", "Print", "two.xml");
  std::string twoErrors = errors();
  int missing = minixml_parser_parse(path("absent.xml").c_str(), "Bom", errorPath().c_str());
  close();

  EXPECT_EQ(one, 1001);
  // The message itself is the XML library's; the frame around it is ours.
  const std::string frame = "\nFatal Error at file " + path("one.xml") + ", line 3, char ";
  size_t at = oneErrors.find(frame);
  ASSERT_NE(at, std::string::npos) << oneErrors;
  EXPECT_NE(oneErrors.find("\n  Message: ", at + frame.size()), std::string::npos) << oneErrors;
  EXPECT_EQ(two, 1001);
  EXPECT_NE(twoErrors.find("line 2,"), std::string::npos) << twoErrors;
  EXPECT_EQ(missing, 1001);
  std::string text = log();
  EXPECT_NE(text.find("Message from Morvane: 1001:failure during parsing of inputXmlFile  " +
                      path("one.xml") + " Status\n\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Message from Morvane: 1001:failure during parsing of inputXmlFile  " +
                      path("absent.xml") + " Bom\n\n"),
            std::string::npos);
}

TEST_F(ParserInterfaceTest, TestEntryPointPrintsAndKeepsTheResults) {
  open();
  parse(kWellFormed, "Status");
  void* before = minixml_parser_getEDAStatus(nullptr);
  int good = minixml_parser_test(path("doc.xml").c_str(), errorPath().c_str());
  std::string goodErrors = errors();
  void* after = minixml_parser_getEDAStatus(nullptr);
  writeFile(path("bad.xml"), "<r>");
  int bad = minixml_parser_test(path("bad.xml").c_str(), errorPath().c_str());
  close();

  EXPECT_EQ(good, 0);
  EXPECT_EQ(before, after);
  EXPECT_NE(goodErrors.find("Start Document\n   Start Element kind = urn:x:r\n"),
            std::string::npos);
  EXPECT_EQ(bad, 1001);
  std::string text = log();
  EXPECT_NE(text.find("Working with xml file = " + path("doc.xml") + "\n"), std::string::npos);
  EXPECT_NE(text.find("Message from Morvane: 1001:A failure during parsing of inputXmlFile " +
                      path("bad.xml") + ".\n\n"),
            std::string::npos)
      << text;
}

TEST_F(ParserInterfaceTest, EachParseTruncatesItsErrorFileAndGivesStderrBack) {
  auto stderrBefore = fileOf(STDERR_FILENO);
  auto stdoutBefore = fileOf(STDOUT_FILENO);
  open();
  auto stdoutDuring = fileOf(STDOUT_FILENO);
  parse("<r>\n<broken\n</r>", "Print", "first.xml");
  auto stderrAfterParse = fileOf(STDERR_FILENO);
  parse("<r/>", "Print", "second.xml");
  close();

  EXPECT_NE(stdoutDuring, stdoutBefore);
  EXPECT_EQ(stderrAfterParse, stderrBefore);
  EXPECT_EQ(fileOf(STDOUT_FILENO), stdoutBefore);
  EXPECT_EQ(errors(),
            "\n\n\nStart Document\n   Start Element kind = r\n   End Element kind = r\n"
            "End Document\n\n\n");
}

TEST_F(ParserInterfaceTest, AnErrorFileThatCannotBeCreatedIsAFailure) {
  writeFile(path("doc.xml"), kWellFormed);
  const std::string errFile = path("missing/dir/errors.txt");
  auto stderrBefore = fileOf(STDERR_FILENO);
  open();
  int code = minixml_parser_parse(path("doc.xml").c_str(), "Status", errFile.c_str());
  int noName = minixml_parser_parse(path("doc.xml").c_str(), "Status", "");
  void* status = minixml_parser_getEDAStatus(nullptr);
  close();

  EXPECT_EQ(code, MINIXML_ERROR_FILE_NOT_OPENED);
  EXPECT_EQ(noName, MINIXML_ERROR_FILE_NOT_OPENED);
  EXPECT_EQ(status, nullptr);
  EXPECT_EQ(fileOf(STDERR_FILENO), stderrBefore);
  EXPECT_NE(log().find("error on freopen of errOutFile = " + errFile +
                       "\nMessage from Morvane: "
                       "2:failure during parsing of inputXmlFile  " +
                       path("doc.xml") + " Status\n\n"),
            std::string::npos)
      << log();
}

TEST_F(ParserInterfaceTest, HostileDocumentsFailFastWithoutReachingOutside) {
  // An external DTD would add a default attribute to the record if it were read.
  writeFile(path("defaults.dtd"), "<!ATTLIST EDASaveStatus UID CDATA \"from-outside\">");
  writeFile(path("secret.txt"), "secret");
  std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY l0 \"lol\">\n";
  for (int i = 1; i < 10; ++i) {
    laughs += "<!ENTITY l" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) laughs += "&l" + std::to_string(i - 1) + ";";
    laughs += "\">\n";
  }
  laughs += "]>\n<r xmlns=\"urn:x\"><EDAStatus message=\"&l9;\"/></r>\n";

  open();
  auto start = std::chrono::steady_clock::now();
  int laughCode = parse(laughs, "Status", "laughs.xml");
  auto laughTime = std::chrono::steady_clock::now() - start;
  int dtdCode = parse("<!DOCTYPE r SYSTEM \"" + path("defaults.dtd") +
                          "\">\n<r xmlns=\"urn:x\"><EDASaveStatus status=\"s\"/></r>",
                      "Status", "dtd.xml");
  auto* save = static_cast<EDASaveStatusElement*>(minixml_parser_getEDASaveStatus(nullptr));
  int entityCode =
      parse("<!DOCTYPE r [<!ENTITY s SYSTEM \"" + path("secret.txt") + "\">]>\n<r>&s;</r>", "Print",
            "entity.xml");
  std::string deep;
  for (int i = 0; i < 50000; ++i) deep += "<a>";
  start = std::chrono::steady_clock::now();
  int deepCode = parse(deep, "Print", "deep.xml");
  auto deepTime = std::chrono::steady_clock::now() - start;
  close();

  EXPECT_GT(laughCode, 1000);
  EXPECT_LT(laughTime, std::chrono::seconds(5));
  EXPECT_EQ(dtdCode, 0);
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(text(save->UID), "<null>");
  EXPECT_GT(entityCode, 1000);
  EXPECT_GT(deepCode, 1000);
  EXPECT_LT(deepTime, std::chrono::seconds(5));
}

TEST_F(ParserInterfaceTest, InternalDefaultsStillApply) {
  open();
  parse(
      "<!DOCTYPE r [<!ATTLIST EDASaveStatus UID CDATA \"inside\">]>\n"
      "<r xmlns=\"urn:x\"><EDASaveStatus status=\"s\"/></r>",
      "Status");
  auto* save = static_cast<EDASaveStatusElement*>(minixml_parser_getEDASaveStatus(nullptr));
  close();

  ASSERT_NE(save, nullptr);
  EXPECT_EQ(text(save->UID), "inside");
}

// In a directory every user may write to, another user's link at the log or error file's path
// is not followed, and the files made there are readable by their owner only.
TEST_F(ParserInterfaceTest, InASharedDirectoryLinksAreNotFollowedAndFilesArePrivate) {
  edatest::SharedDir shared;
  ASSERT_FALSE(shared.path().empty());
  const std::string precious = shared.path("precious");
  writeFile(precious, "keep me\n");
  for (const char* name : {"minixml.log", "errors.txt"}) {
    const std::string command = "ln -s " + precious + " " + shared.path(name);
    if (edatest::canActAsOtherUser()) {
      ASSERT_TRUE(edatest::asOtherUser(command));
    } else {
      ASSERT_EQ(std::system(command.c_str()), 0);
    }
  }
  writeFile(path("doc.xml"), kWellFormed);

  CaptureStdout();
  const int linkedLog = minixml_parser_init(shared.path("minixml.log").c_str());
  const std::string printed = GetCapturedStdout();
  const int ownLog = minixml_parser_init(shared.path("own.log").c_str());
  const int linkedErrors =
      minixml_parser_parse(path("doc.xml").c_str(), "Status", shared.path("errors.txt").c_str());
  const int ownErrors = minixml_parser_parse(path("doc.xml").c_str(), "Status",
                                             shared.path("own-errors.txt").c_str());
  minixml_parser_close();

  EXPECT_EQ(linkedLog, -1);
  EXPECT_EQ(printed, "error on freopen\n");
  EXPECT_EQ(ownLog, 0);
  EXPECT_EQ(linkedErrors, MINIXML_ERROR_FILE_NOT_OPENED);
  EXPECT_EQ(ownErrors, 0);
  EXPECT_EQ(readFile(precious), "keep me\n");
  for (const char* name : {"own.log", "own-errors.txt"}) {
    unsigned owner = 0, mode = 0;
    ASSERT_TRUE(edatest::ownerAndMode(shared.path(name), &owner, &mode)) << name;
    EXPECT_EQ(mode, 0600u) << name;
  }
}

}  // namespace
}  // namespace minixml_test
