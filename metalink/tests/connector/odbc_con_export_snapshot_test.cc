// An export that runs while an import writes sees the database as it was before the import or as
// it is after it, never a mixture: the import runs in a child process, exports run in this one
// until the import has ended.
#include <gtest/gtest.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "connector/odbc_con_operation.h"
#include "connector/progress.h"
#include "connector_fixture.h"
#include "library/eda_library.h"
#include "library/eda_workspace_object.h"
#include "odbc_drivers.h"
#include "odbc_test_database.h"
#include "platform/text.h"

namespace {

// `count` resistors and as many capacitors whose Manufacturer is `maker`: two tables that an
// import changes together.
std::string generatedLibrary(int count, const std::string& maker) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<ecad:edaLib xmlns:ecad=\"http://www.morvane.com/Schemas/ecadlib\">\n"
      "<ecad:library elemId=\"id1\" name=\"Generated\" folder=\"/lib\" "
      "exportDate=\"2026-12-08\"/>\n";
  int id = 2;
  for (const char* type : {"Resistor", "Capacitor"}) {
    for (int i = 0; i < count; ++i) {
      const std::string n = std::to_string(i);
      const std::string itemId = "id" + std::to_string(id++);
      const std::string attrId = "id" + std::to_string(id++);
      xml += "<ecad:item elemId=\"" + itemId + "\" itemId=\"" + type + "-" + n + "\" name=\"" +
             type + " " + n + "\" type=\"" + type + "\" category=\"" + type +
             "\" libraryId=\"id1\" releaseStatus=\"Released\" revision=\"A\">\n"
             "  <ecad:attr elemId=\"" +
             attrId + "\" name=\"Manufacturer\" value=\"" + maker +
             "\" unit=\"\" type=\"String\" required=\"false\"/>\n</ecad:item>\n";
    }
  }
  return xml + "</ecad:edaLib>\n";
}

// Items per (type, maker) of an exported library.
std::map<std::string, int> census(const std::string& path) {
  EDALibrary library;
  std::map<std::string, int> counts;
  if (!library.load(path.c_str())) {
    counts["unreadable: " + library.getLastError()] = 1;
    return counts;
  }
  std::vector<EDAWorkspaceObject*> items;
  library.getObjects("EDAItem", &items);
  for (EDAWorkspaceObject* item : items) {
    ++counts[item->getType() + "/" + item->getValue("Manufacturer", true)];
  }
  return counts;
}

template <typename Driver>
class ExportSnapshotTest : public edatest::ConnectorTest<Driver> {};
TYPED_TEST_SUITE(ExportSnapshotTest, OdbcDrivers, OdbcDriverNames);

TYPED_TEST(ExportSnapshotTest, ExportDuringImportSeesBeforeOrAfter) {
  constexpr int kBefore = 300, kAfter = 400;
  const std::string before = this->env_.path("before.xml");
  const std::string after = this->env_.path("after.xml");
  edatest::writeFile(before, generatedLibrary(kBefore, "Old"));
  edatest::writeFile(after, generatedLibrary(kAfter, "New"));
  ASSERT_EQ(this->importLibrary(before), 1);
  const std::map<std::string, int> oldState = {{"Capacitor/Old", kBefore},
                                               {"Resistor/Old", kBefore}};
  const std::map<std::string, int> newState = {{"Capacitor/New", kAfter}, {"Resistor/New", kAfter}};
  const std::string exported = this->env_.path("exported.xml");
  ASSERT_EQ(this->exportLibrary(exported), 1);
  ASSERT_EQ(census(exported), oldState);

  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    // The import pauses at each progress report, so that exports find it half-way.
    metalink::setProgressHandler(
        [](void*, const char*, long long, long long) {
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
        },
        nullptr);
    _exit(this->importLibrary(after) == 1 ? 0 : 1);
  }
  // One more export after the import has ended: that one must see it whole.
  int exports = 0, duringImport = 0, status = 0;
  for (bool running = true; running;) {
    running = waitpid(child, &status, WNOHANG) == 0;
    SCOPED_TRACE(exports);
    ASSERT_EQ(this->exportLibrary(exported), 1);
    const std::map<std::string, int> seen = census(exported);
    EXPECT_TRUE(seen == oldState || seen == newState) << ::testing::PrintToString(seen);
    ++exports;
    if (running) ++duringImport;
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the import failed";
  EXPECT_GT(duringImport, 0) << "no export ran while the import wrote";
  EXPECT_EQ(census(exported), newState);
}

}  // namespace
