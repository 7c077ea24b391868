// Saving a library file over what is already at its path: the old file survives every failure,
// and links, modes and special files are treated as a user expects.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../syncmap/xml_test_support.h"
#include "library/eda_library.h"

namespace {

using xmltest::ScratchTest;

class LibrarySaveTest : public ScratchTest {
 protected:
  // Names in the scratch directory other than the log.
  std::vector<std::string> files() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir_)) {
      if (e.path().filename() != "connector.log") out.push_back(e.path().filename().string());
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  static void fill(EDALibrary* library, int items) {
    library->setName("Big");
    for (int i = 0; i < items; ++i) {
      EDAItem* item =
          library->createItem("P" + std::to_string(i), "part " + std::to_string(i), "Resistor");
      item->getOrCreateAttribute("Value")->setValue(std::string(40, 'v'));
    }
  }
};

TEST_F(LibrarySaveTest, WriteFailingHalfWayIsAFailureAndKeepsTheOldFile) {
  const std::string file = write("EDALib.xml", "previous library");
  EDALibrary library;
  fill(&library, 5000);

  // A file-size limit stands in for a full disk; it applies to the child process only.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool saved = library.save(file.c_str());
    const bool reported = library.getLastError().rfind("Fail to save EDALib.xml because ", 0) == 0;
    _exit(saved ? 10 : (reported ? 0 : 11));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << "10: reported as saved, 11: no message";
  EXPECT_EQ(read(file), "previous library");
  EXPECT_EQ(files(), std::vector<std::string>{"EDALib.xml"});

  // Without the limit the same library saves and reads back.
  ASSERT_TRUE(library.save(file.c_str())) << library.getLastError();
  EDALibrary reloaded;
  ASSERT_TRUE(reloaded.load(file.c_str()));
  EXPECT_EQ(reloaded.countObjects("EDAItem"), 5000u);
}

TEST_F(LibrarySaveTest, RefusesDirectoriesAndFilesItCannotReplace) {
  ASSERT_TRUE(std::filesystem::create_directory(path("EDALib.xml")));
  EDALibrary library;
  library.createItem("A", "a", "Part");
  EXPECT_FALSE(library.save(path("EDALib.xml").c_str()));
  EXPECT_EQ(library.getLastError(), "Fail to save EDALib.xml because the path " +
                                        path("EDALib.xml") +
                                        " is a directory, not a regular file; it is left as it is");
  EXPECT_TRUE(std::filesystem::is_directory(path("EDALib.xml")));

  // A file in a directory nobody may create files in.
  EXPECT_FALSE(library.save("/proc/version"));
  EXPECT_NE(library.getLastError().find("no temporary file can be created in /proc"),
            std::string::npos)
      << library.getLastError();
  const auto lines = logLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(0, 6), "ERROR ");
  EXPECT_EQ(files(), std::vector<std::string>{"EDALib.xml"});
}

TEST_F(LibrarySaveTest, SavesThroughASymbolicLinkAndKeepsTheMode) {
  ASSERT_TRUE(std::filesystem::create_directory(path("shared")));
  const std::string real = write("shared/EDALib.xml", "old");
  ASSERT_EQ(chmod(real.c_str(), 0600), 0);
  ASSERT_EQ(symlink(real.c_str(), path("EDALib.xml").c_str()), 0);

  EDALibrary library;
  library.createItem("A", "a", "Part");
  ASSERT_TRUE(library.save(path("EDALib.xml").c_str())) << library.getLastError();

  struct stat st;
  ASSERT_EQ(lstat(path("EDALib.xml").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EDALibrary reloaded;
  ASSERT_TRUE(reloaded.load(real.c_str()));
  EXPECT_TRUE(reloaded.hasItem("Part", "A"));
}

}  // namespace
