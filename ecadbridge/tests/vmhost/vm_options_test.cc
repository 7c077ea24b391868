// The VM option list and the class and library paths, built without starting a VM.
#include "vmhost/vm_options.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ecadbridge/eda.h"
#include "testsupport/scoped_env.h"
#include "testsupport/temp_dir.h"
#include "vmhost/class_path.h"

namespace ecadbridge_test {

using testsupport::ScopedEnv;
using testsupport::TempDir;
namespace {

using ecadbridge::buildJavaVmOptions;
using ecadbridge::listFilesWithExtension;

std::vector<std::string>* gMessages = nullptr;

void collect(const char* caption, const char* text, void*) {
  EXPECT_STREQ(caption, "log");
  if (gMessages != nullptr) gMessages->push_back(text);
}

// Captures the library's messages for the life of the object.
class MessageCapture {
 public:
  MessageCapture() {
    gMessages = &messages;
    ecadbridge_setMessageHandler(collect, nullptr);
  }
  ~MessageCapture() {
    ecadbridge_setMessageHandler(nullptr, nullptr);
    gMessages = nullptr;
  }
  std::vector<std::string> messages;
};

const char* const kVariables[] = {"MVEDAECAD_ROOT",
                                  "DXS_HOME",
                                  "MVEDAECAD_JVM_MIN_HEAPSIZE",
                                  "MVEDAECAD_JVM_MAX_HEAPSIZE",
                                  "MVEDAECAD_LANGUAGE",
                                  "MVEDAECAD_COUNTRY"};

struct OptionCase {
  const char* name;
  const char* classPathSeed;
  const char* libraryPathSeed;
  // Variable values; "@root" and "@dxs" stand for the test's directories, nullopt for unset.
  std::optional<std::string> root, dxsHome, minHeap, maxHeap, language, country;
  std::vector<std::string> expectedOptions;
  std::vector<std::string> expectedMessages;
};

std::string expand(std::string text, const TempDir& dir) {
  for (const auto& [token, value] :
       {std::pair<std::string, std::string>{"@root", dir.sub("root")}, {"@dxs", dir.sub("dxs")}}) {
    for (size_t at; (at = text.find(token)) != std::string::npos;)
      text.replace(at, token.size(), value);
  }
  return text;
}

TEST(VmOptions, FollowTheEnvironment) {
  const std::optional<std::string> unset;
  const std::vector<OptionCase> cases = {
      {"installation complete",
       "/opt/cp.jar",
       "/usr/bin",
       "@root",
       "@dxs",
       unset,
       unset,
       unset,
       unset,
       {"-Djava.class.path=/opt/cp.jar:@root:@root/a.jar:@root/lib.jar:@dxs/jar/c.jar",
        "-Djava.library.path=/usr/bin:@dxs/bin:@dxs/lib:", "-verbose:jni", "-Xms128m", "-Xmx400m"},
       {}},
      {"CLASSPATH and PATH unset start from the current directory",
       nullptr,
       nullptr,
       "@root",
       "@dxs",
       unset,
       unset,
       unset,
       unset,
       {"-Djava.class.path=.::@root:@root/a.jar:@root/lib.jar:@dxs/jar/c.jar",
        "-Djava.library.path=.::@dxs/bin:@dxs/lib:", "-verbose:jni", "-Xms128m", "-Xmx400m"},
       {}},
      {"empty seeds count as unset",
       "",
       "",
       unset,
       unset,
       unset,
       unset,
       unset,
       unset,
       {"-Djava.class.path=.:", "-Djava.library.path=.:", "-verbose:jni", "-Xms128m", "-Xmx400m"},
       {"setJNIClassPath: MVEDAECAD_ROOT environment variable not set"}},
      {"DXS_HOME unset keeps both seeds alone",
       "/cp",
       "/usr/bin",
       "@root",
       unset,
       unset,
       unset,
       unset,
       unset,
       {"-Djava.class.path=/cp", "-Djava.library.path=/usr/bin", "-verbose:jni", "-Xms128m",
        "-Xmx400m"},
       {"setJNIClassPath: DXS_HOME environment variable not set"}},
      {"heap sizes: empty keeps the default, a value is used unchanged",
       "/cp",
       "/p",
       unset,
       "@dxs",
       "",
       "1g",
       unset,
       unset,
       {"-Djava.class.path=/cp", "-Djava.library.path=/p:@dxs/bin:@dxs/lib:", "-verbose:jni",
        "-Xms128m", "-Xmx1g"},
       {"setJNIClassPath: MVEDAECAD_ROOT environment variable not set"}},
      {"country without language takes the sixth place",
       "/cp",
       "/p",
       "@root",
       "@dxs",
       "256m",
       unset,
       unset,
       "DE",
       {"-Djava.class.path=/cp:@root:@root/a.jar:@root/lib.jar:@dxs/jar/c.jar",
        "-Djava.library.path=/p:@dxs/bin:@dxs/lib:", "-verbose:jni", "-Xms256m", "-Xmx400m",
        "-Duser.country=DE"},
       {}},
      {"an empty language still adds its option, before the country",
       "/cp",
       "/p",
       "@root",
       "@dxs",
       unset,
       unset,
       "",
       "FR",
       {"-Djava.class.path=/cp:@root:@root/a.jar:@root/lib.jar:@dxs/jar/c.jar",
        "-Djava.library.path=/p:@dxs/bin:@dxs/lib:", "-verbose:jni", "-Xms128m", "-Xmx400m",
        "-Duser.language=", "-Duser.country=FR"},
       {}},
  };

  TempDir dir;
  // a.jar is taken, b.JAR (other case), notes.txt and "jar" (no dot) are not; lib.jar is a
  // directory and is taken like a file; the root's sub-directories are not searched.
  dir.makeDir("root/lib.jar");
  dir.makeDir("root/deeper");
  dir.writeFile("root/a.jar", "");
  dir.writeFile("root/b.JAR", "");
  dir.writeFile("root/notes.txt", "");
  dir.writeFile("root/jar", "");
  dir.writeFile("root/deeper/d.jar", "");
  dir.makeDir("dxs/jar");
  dir.writeFile("dxs/jar/c.jar", "");
  dir.writeFile("dxs/e.jar", "");

  for (const OptionCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedEnv env;
    const std::optional<std::string>* values[] = {&c.root,    &c.dxsHome,  &c.minHeap,
                                                  &c.maxHeap, &c.language, &c.country};
    for (size_t i = 0; i < std::size(kVariables); ++i) {
      const std::optional<std::string>& value = *values[i];
      env.set(kVariables[i], value ? std::optional<std::string>(expand(*value, dir)) : value);
    }
    MessageCapture capture;
    std::vector<std::string> expected;
    for (const std::string& option : c.expectedOptions) expected.push_back(expand(option, dir));
    EXPECT_EQ(buildJavaVmOptions(c.classPathSeed, c.libraryPathSeed), expected);
    EXPECT_EQ(capture.messages, c.expectedMessages);
  }
}

TEST(ListFilesWithExtension, MatchesTheLastExtensionExactly) {
  TempDir dir;
  for (const char* name : {"z.jar", "a.jar", "A.Jar", "x.jar.bak", "y.bak.jar", ".jar", "jar"}) {
    dir.writeFile(name, "");
  }
  EXPECT_EQ(listFilesWithExtension(dir.path(), "jar"),
            (std::vector<std::string>{dir.sub(".jar"), dir.sub("a.jar"), dir.sub("y.bak.jar"),
                                      dir.sub("z.jar")}));
  EXPECT_EQ(listFilesWithExtension(dir.path(), "bak"),
            std::vector<std::string>{dir.sub("x.jar.bak")});
  EXPECT_TRUE(listFilesWithExtension(dir.sub("missing"), "jar").empty());
}

TEST(ListFilesWithExtension, LeavesOutPathsLongerThanTheLimit) {
  TempDir dir;
  const size_t room = ecadbridge::kMaxListedPath - dir.path().size() - 1;  // after "dir/"
  const std::string fits = std::string(room - 4, 'f') + ".jar";
  const std::string tooLong = std::string(room - 3, 'g') + ".jar";
  dir.writeFile(fits, "");
  dir.writeFile(tooLong, "");
  const std::vector<std::string> listed = listFilesWithExtension(dir.path(), "jar");
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0], dir.sub(fits));
  EXPECT_EQ(listed[0].size(), ecadbridge::kMaxListedPath);
}

}  // namespace
}  // namespace ecadbridge_test
