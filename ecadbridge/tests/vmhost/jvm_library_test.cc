// Where the VM library is looked for, and what happens when it is not there.
#include "vmhost/jvm_library.h"

#include <gtest/gtest.h>

#include "testsupport/scoped_env.h"
#include "testsupport/temp_dir.h"

namespace ecadbridge_test {

using testsupport::ScopedEnv;
using testsupport::TempDir;
namespace {

using ecadbridge::javaVmLibraryCandidates;
using ecadbridge::loadCreateJavaVm;

const std::string kBuiltWith = std::string(EDA_JDK_HOME) + "/lib/server/libjvm.so";

TEST(JavaVmLibrary, JavaHomeComesBeforeTheBuildJdk) {
  struct Case {
    const char* name;
    std::optional<std::string> javaHome;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"JAVA_HOME unset", std::nullopt, {kBuiltWith}},
      {"JAVA_HOME empty", "", {kBuiltWith}},
      {"JAVA_HOME elsewhere", "/opt/jdk", {"/opt/jdk/lib/server/libjvm.so", kBuiltWith}},
      {"JAVA_HOME is the build JDK", EDA_JDK_HOME, {kBuiltWith}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedEnv env;
    env.set("JAVA_HOME", c.javaHome);
    EXPECT_EQ(javaVmLibraryCandidates(), c.expected);
  }
}

TEST(JavaVmLibrary, NothingLoadableGivesNoEntryPoint) {
  TempDir dir;
  const std::string notALibrary = dir.writeFile("lib/server/libjvm.so", "not an ELF file");
  EXPECT_EQ(loadCreateJavaVm({}), nullptr);
  EXPECT_EQ(loadCreateJavaVm({dir.sub("missing/libjvm.so"), notALibrary}), nullptr);
  // Loads, but is no VM.
  EXPECT_EQ(loadCreateJavaVm({"libm.so.6"}), nullptr);
}

}  // namespace
}  // namespace ecadbridge_test
