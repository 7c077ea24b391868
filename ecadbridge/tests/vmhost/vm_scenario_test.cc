// End-to-end scenarios: a host process loads libecadbridge.so, whose first call starts a Java VM
// running the reference client. A process can hold only one VM, so CTest runs every scenario in
// its own process; run by hand, the binary needs --gtest_filter with a single test.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <jni.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "eda_host.h"
#include "testsupport/scoped_env.h"
#include "testsupport/temp_dir.h"

namespace ecadbridge_test {

using testsupport::readFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;
namespace {

const std::string kStagingMessage =
    "EDA_getStagingDir: Fail to get the staging dir. Please check the file MVEDAClient.properties "
    "does exist within $MVEDAECAD_ROOT.";

std::vector<std::string> readLines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream in(readFile(path));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Redirects one of the process's output streams into a file: the VM prints exceptions on
// standard error and its JNI checks on standard output.
class OutputCapture {
 public:
  OutputCapture(const std::string& path, int fd) : path_(path), fd_(fd) {
    flush();
    saved_ = ::dup(fd_);
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(file, fd_);
    ::close(file);
  }
  // Restores the stream and returns what was written meanwhile.
  std::string finish() {
    if (saved_ >= 0) {
      flush();
      ::dup2(saved_, fd_);
      ::close(saved_);
      saved_ = -1;
    }
    return readFile(path_);
  }
  ~OutputCapture() { finish(); }

 private:
  static void flush() {
    std::fflush(stdout);
    std::fflush(stderr);
  }

  std::string path_;
  int fd_;
  int saved_ = -1;
};

// How many VMs the process holds, asked of the VM library the bridge loaded.
int createdVmCount() {
  void* jvm = ::dlopen((std::string(EDA_JDK_HOME) + "/lib/server/libjvm.so").c_str(),
                       RTLD_NOW | RTLD_NOLOAD);
  if (jvm == nullptr) return 0;
  auto getCreated =
      reinterpret_cast<jint (*)(JavaVM**, jsize, jsize*)>(::dlsym(jvm, "JNI_GetCreatedJavaVMs"));
  JavaVM* vms[2];
  jsize count = 0;
  if (getCreated == nullptr || getCreated(vms, 2, &count) != JNI_OK) count = -1;
  ::dlclose(jvm);
  return count;
}

// An installation as an ECAD tool sees it: the client jar in MVEDAECAD_ROOT (so the class path is
// assembled from the root's jars, CLASSPATH being unset), DXS_HOME present, the client's journal
// and status documents in the scenario's own directory, and -Xcheck:jni on.
class VmScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool processUsed = false;
    ASSERT_FALSE(processUsed) << "each scenario needs a process of its own (one VM per process)";
    processUsed = true;

    root_ = dir_.makeDir("root");
    dxsHome_ = dir_.makeDir("dxs");
    statusDir_ = dir_.makeDir("status");
    journal_ = dir_.sub("calls.log");
    std::filesystem::copy_file(CLIENT_JAR, root_ + "/ecadbridge-client.jar");
    env_.set("CLASSPATH", std::nullopt);
    env_.set("MVEDAECAD_ROOT", root_);
    env_.set("DXS_HOME", dxsHome_);
    for (const char* name : {"MVEDAECAD_JVM_MIN_HEAPSIZE", "MVEDAECAD_JVM_MAX_HEAPSIZE",
                             "MVEDAECAD_LANGUAGE", "MVEDAECAD_COUNTRY"}) {
      env_.set(name, std::nullopt);
    }
    setJavaOptions("");
  }

  // JAVA_TOOL_OPTIONS reaches the VM the bridge creates without changing its own option list.
  void setJavaOptions(const std::string& extra, bool journalAndStatus = true) {
    std::string options = "-Xcheck:jni";
    if (journalAndStatus) {
      options += " -Decadbridge.callLog=" + journal_ + " -Decadbridge.statusDir=" + statusDir_;
    }
    if (!extra.empty()) options += " " + extra;
    env_.set("JAVA_TOOL_OPTIONS", options);
  }

  void loadBridge() {
    std::string error;
    ASSERT_TRUE(bridge_.load(ECADBRIDGE_LIBRARY, &error)) << error;
  }

  std::vector<std::string> journal() const { return readLines(journal_); }

  TempDir dir_;
  ScopedEnv env_;
  EdaLibrary bridge_;
  std::string root_, dxsHome_, statusDir_, journal_;
};

using S = Signature;

TEST_F(VmScenario, FirstCallCreatesTheVmAndTheClientOnce) {
  // A JAVA_HOME without a usable VM library: the JDK found at build time is used instead.
  env_.set("JAVA_HOME", dir_.makeDir("broken-jdk"));
  dir_.writeFile("broken-jdk/lib/server/libjvm.so", "not a library");
  loadBridge();
  EXPECT_EQ(createdVmCount(), 0);

  EXPECT_EQ(bridge_.call("EDA_save", S::kText2, {"board.brd", "item-1"}).value, 1);
  EXPECT_TRUE(bridge_.takeMessages().empty());
  EXPECT_EQ(createdVmCount(), 1);
  EXPECT_EQ(journal(), (std::vector<std::string>{"<init>", "save\tboard.brd\titem-1"}));

  EXPECT_EQ(bridge_.call("EDA_save", S::kText2, {"board.brd", "item-2"}).value, 1);
  EXPECT_TRUE(bridge_.takeMessages().empty());
  EXPECT_EQ(createdVmCount(), 1);
  EXPECT_EQ(journal(), (std::vector<std::string>{"<init>", "save\tboard.brd\titem-1",
                                                 "save\tboard.brd\titem-2"}));

  // The status document an ECAD tool reads next: one namespaced element, no prefix.
  const std::string status = readFile(statusDir_ + "/EDASaveStatus.xml");
  EXPECT_NE(status.find("<EDASaveStatus xmlns=\"http://www.morvane.com/ecadbridge/status\""),
            std::string::npos)
      << status;
  EXPECT_NE(status.find(" status=\"SUCCESS\""), std::string::npos) << status;
  EXPECT_NE(status.find(" message=\""), std::string::npos) << status;
  EXPECT_NE(status.find(" UID=\""), std::string::npos) << status;

  // The VM belongs to this thread; another thread is refused instead of corrupting it.
  int fromOtherThread = -1;
  std::thread([&] {
    fromOtherThread = bridge_.call("EDA_save", S::kText2, {"x", "y"}).value;
  }).join();
  EXPECT_EQ(fromOtherThread, 0);
  EXPECT_EQ(bridge_.takeMessages(),
            std::vector<std::string>{
                "EDA_save: called from a thread other than the one that started Java"});
  EXPECT_EQ(journal().size(), 3u);
}

TEST_F(VmScenario, EveryFunctionReachesItsMethodWithItsArgumentsInOrder) {
  dir_.writeFile("root/MVEDAClient.properties", "stagingDir=/work/st\\u00e4ging\n");
  loadBridge();
  std::vector<std::string> expected = {"<init>"};
  for (const EdaFunction& function : edaFunctions()) {
    SCOPED_TRACE(mangledName(function));
    std::vector<std::string> texts;
    for (size_t i = 0; i < textCount(function.signature); ++i) {
      texts.push_back(std::string(function.name + 4) + "-" + std::to_string(i + 1));
    }
    std::vector<const char*> arguments;
    for (const std::string& text : texts) arguments.push_back(text.c_str());
    const int mode = takesMode(function.signature) ? 2 : 0;

    const EdaLibrary::Result result = bridge_.call(function, arguments, mode);

    std::string line = function.javaMethod;
    if (takesMode(function.signature)) line += "\t2";
    for (const std::string& text : texts) line += "\t" + text;
    expected.push_back(line);
    if (function.signature == S::kStaging0) {
      EXPECT_STREQ(result.text, "/work/st\xC3\xA4ging");
    } else if (function.signature == S::kStaging1) {
      EXPECT_STREQ(result.text, "/work/st\xC3\xA4ging/getStagingDir-1");
    } else if (function.signature == S::kText1 &&
               function.javaMethod == std::string("setApplication")) {
      EXPECT_EQ(result.value, 0);  // no exception
    } else {
      EXPECT_EQ(result.value, 1);
    }
    EXPECT_TRUE(bridge_.takeMessages().empty());
  }
  EXPECT_EQ(journal(), expected);

  // Results come back unchanged; null texts arrive as null Strings; UTF-8 arrives intact and
  // bytes that are no UTF-8 arrive as U+FFFD instead of upsetting the VM.
  EXPECT_EQ(bridge_.call("EDA_checkIn", S::kText2, {"return:42", nullptr}).value, 42);
  EXPECT_EQ(bridge_.call("EDA_checkIn", S::kText2, {"fail", "x"}).value, 0);
  EXPECT_EQ(bridge_.call("EDA_syncLibrary", S::kModeText3, {"return:-7", "b", "c"}, -3).value, -7);
  EXPECT_EQ(
      bridge_.call("EDA_save", S::kText2, {"Gr\xC3\xBC\xC3\x9F\xF0\x9F\x98\x80", "\xFF"}).value, 1);
  const std::vector<std::string> lines = journal();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[lines.size() - 4], "checkIn\treturn:42\t<null>");
  EXPECT_EQ(lines[lines.size() - 3], "checkIn\tfail\tx");
  EXPECT_EQ(lines[lines.size() - 2], "syncLibrary\t-3\treturn:-7\tb\tc");
  EXPECT_EQ(lines[lines.size() - 1], "save\tGr\xC3\xBC\xC3\x9F\xF0\x9F\x98\x80\t\xEF\xBF\xBD");
  EXPECT_TRUE(bridge_.takeMessages().empty());
  EXPECT_NE(readFile(statusDir_ + "/EDACheckInStatus.xml").find("status=\"FAILED\""),
            std::string::npos);
  // Markup in a text is escaped in the status document.
  EXPECT_EQ(bridge_.call("EDA_save", S::kText2, {"a&b<c>\"", "x"}).value, 1);
  const std::string saveStatus = readFile(statusDir_ + "/EDASaveStatus.xml");
  EXPECT_NE(saveStatus.find("message=\"save done for a&amp;b&lt;c&gt;&quot;\""), std::string::npos)
      << saveStatus;
}

TEST_F(VmScenario, MissingClientClassFailsEveryFunction) {
  std::filesystem::remove(root_ + "/ecadbridge-client.jar");
  env_.set("CLASSPATH", dir_.makeDir("empty"));
  loadBridge();
  bool first = true;
  for (const EdaFunction& function : edaFunctions()) {
    SCOPED_TRACE(mangledName(function));
    const EdaLibrary::Result result = bridge_.call(function, {"a", "b", "c", "d"}, 2);
    EXPECT_EQ(result.value, 0);
    EXPECT_EQ(result.text, nullptr);
    std::vector<std::string> expected;
    if (first) expected.push_back("Did not find class");
    expected.push_back("Could not find edaClientClass");
    expected.push_back(std::string(function.name) + ": methodID is null");
    EXPECT_EQ(bridge_.takeMessages(), expected);
    first = false;
  }
  EXPECT_EQ(createdVmCount(), 1);
}

TEST_F(VmScenario, ThrowingMethodIsPrintedClearedAndTheNextCallWorks) {
  dir_.writeFile("root/MVEDAClient.properties", "stagingDir=/stage\n");
  loadBridge();
  ASSERT_EQ(bridge_.call("EDA_save", S::kText2, {"warm", "up"}).value, 1);

  OutputCapture capture(dir_.sub("stderr.txt"), 2);
  const int thrown = bridge_.call("EDA_save", S::kText2, {"throw", "x"}).value;
  const int afterwards = bridge_.call("EDA_save", S::kText2, {"a", "b"}).value;
  const int appNormal = bridge_.call("EDA_setApplicationName", S::kText1, {"Designer"}).value;
  const int appThrown = bridge_.call("EDA_setApplicationName", S::kText1, {"throw"}).value;
  const char* stagingThrown = bridge_.call("EDA_getStagingDir", S::kStaging1, {"throw"}).text;
  const char* stagingAfter = bridge_.call("EDA_getStagingDir", S::kStaging0, {}).text;
  const std::string printed = capture.finish();

  EXPECT_EQ(thrown, 0);  // what the interrupted call yielded
  EXPECT_EQ(afterwards, 1);
  EXPECT_EQ(appNormal, 0);
  EXPECT_EQ(appThrown, 1);
  EXPECT_EQ(stagingThrown, nullptr);
  EXPECT_STREQ(stagingAfter, "/stage");
  EXPECT_EQ(bridge_.takeMessages(), std::vector<std::string>{kStagingMessage});
  // Three exceptions, each printed once by the VM.
  size_t count = 0;
  for (size_t at = 0;
       (at = printed.find("java.lang.IllegalStateException", at)) != std::string::npos; ++at) {
    ++count;
  }
  EXPECT_EQ(count, 3u) << printed;
  EXPECT_EQ(printed.find("WARNING"), std::string::npos) << printed;
  const std::vector<std::string> lines = journal();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[3], "save\ta\tb");
}

TEST_F(VmScenario, StagingDirectoryTextStaysValidAndNullIsReported) {
  dir_.writeFile("root/MVEDAClient.properties", "stagingDir=/data/\\u00e9tape\n");
  loadBridge();
  const char* first = bridge_.call("EDA_getStagingDir", S::kStaging0, {}).text;
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first, "/data/\xC3\xA9tape");
  const char* project = bridge_.call("EDA_getStagingDir", S::kStaging1, {"p1"}).text;
  EXPECT_STREQ(project, "/data/\xC3\xA9tape/p1");
  // Same text, same storage: repeated calls do not pile up copies, and earlier texts stay valid.
  EXPECT_EQ(bridge_.call("EDA_getStagingDir", S::kStaging0, {}).text, first);
  EXPECT_STREQ(first, "/data/\xC3\xA9tape");
  EXPECT_TRUE(bridge_.takeMessages().empty());

  EXPECT_EQ(bridge_.call("EDA_getStagingDir", S::kStaging1, {"null"}).text, nullptr);
  EXPECT_EQ(bridge_.takeMessages(), std::vector<std::string>{kStagingMessage});
  std::filesystem::remove(root_ + "/MVEDAClient.properties");
  EXPECT_EQ(bridge_.call("EDA_getStagingDir", S::kStaging0, {}).text, nullptr);
  EXPECT_EQ(bridge_.takeMessages(), std::vector<std::string>{kStagingMessage});
  EXPECT_STREQ(project, "/data/\xC3\xA9tape/p1");

  const std::string status = readFile(statusDir_ + "/EDAGetStagingDirStatus.xml");
  EXPECT_NE(status.find("status=\"FAILED\""), std::string::npos) << status;
}

TEST_F(VmScenario, FailedVmCreationRepeatsItsMessageAtTheNextCall) {
  env_.set("MVEDAECAD_JVM_MIN_HEAPSIZE", "not-a-size");
  loadBridge();
  const std::vector<std::string> expected = {"Failed to load and initialize Java VM",
                                             "EDA_save: Java Env is null"};
  EXPECT_EQ(bridge_.call("EDA_save", S::kText2, {"a", "b"}).value, 0);
  EXPECT_EQ(bridge_.takeMessages(), expected);
  EXPECT_EQ(bridge_.call("EDA_save", S::kText2, {"a", "b"}).value, 0);
  EXPECT_EQ(bridge_.takeMessages(), expected);
  EXPECT_EQ(bridge_.call("EDA_getStagingDir", S::kStaging0, {}).text, nullptr);
  EXPECT_EQ(bridge_.takeMessages(),
            (std::vector<std::string>{"Failed to load and initialize Java VM",
                                      "EDA_getStagingDir: Java Env is null"}));
}

TEST_F(VmScenario, ClientWhoseConstructorThrowsIsReportedNotCalled) {
  setJavaOptions("-Decadbridge.failConstructor=true");
  loadBridge();
  OutputCapture capture(dir_.sub("stderr.txt"), 2);
  const int result = bridge_.call("EDA_save", S::kText2, {"a", "b"}).value;
  const std::string printed = capture.finish();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(bridge_.takeMessages(), (std::vector<std::string>{"Failed to create DefaultEDAClient",
                                                              "EDA_save: client object is null"}));
  EXPECT_NE(printed.find("client construction refused"), std::string::npos) << printed;
  EXPECT_EQ(bridge_.call("EDA_purgeCache", S::kText1, {"a"}).value, 0);
  EXPECT_EQ(bridge_.takeMessages(),
            std::vector<std::string>{"EDA_purgeCache: client object is null"});
  EXPECT_EQ(journal(), std::vector<std::string>{"<init>"});
}

// Every call's local references are released: a long session under -Xcheck:jni, which warns as
// soon as a thread holds more local references than it announced.
TEST_F(VmScenario, HundredThousandCallsLeaveNoLocalReferencesBehind) {
  setJavaOptions("", /*journalAndStatus=*/false);
  dir_.writeFile("root/MVEDAClient.properties", "stagingDir=/stage\n");
  loadBridge();
  OutputCapture errors(dir_.sub("stderr.txt"), 2);
  OutputCapture output(dir_.sub("stdout.txt"), 1);
  int sum = 0;
  for (int i = 0; i < 100000; ++i) {
    sum += bridge_.call("EDA_save", S::kText2, {"board.brd", "item"}).value;
  }
  const char* first = bridge_.call("EDA_getStagingDir", S::kStaging1, {"p"}).text;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(bridge_.call("EDA_getStagingDir", S::kStaging1, {"p"}).text, first);
    ASSERT_EQ(bridge_.call("EDA_syncLibrary", S::kModeText3, {"a", "b", "c"}, i).value, 1);
  }
  const std::string printed = output.finish() + errors.finish();
  EXPECT_EQ(sum, 100000);
  EXPECT_TRUE(bridge_.takeMessages().empty());
  EXPECT_EQ(printed.find("WARNING"), std::string::npos) << printed.substr(0, 2000);
  EXPECT_NE(printed.find("-Xcheck:jni"), std::string::npos) << "checks were not on: " << printed;
}

}  // namespace
}  // namespace ecadbridge_test
