// Two imports of the same library into one database at the same moment leave exactly what the
// same two imports leave one after the other: no duplicate rows, no duplicate link rows, both
// reporting success. Each import runs in a process of its own, as two users' tools would.
#include <gtest/gtest.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "connector/odbc_con_operation.h"
#include "connector_fixture.h"
#include "odbc_drivers.h"
#include "odbc_test_database.h"
#include "platform/text.h"

namespace {

using Rows = std::vector<edatest::TestDatabase::Row>;

// Every table's rows, sorted, as text: equal contents compare equal whatever the row order.
std::map<std::string, std::vector<std::string>> contents(edatest::TestDatabase* db) {
  std::string error;
  const Rows tables =
      db->query(db->driver() == edatest::OdbcDriver::kSqlite
                    ? "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                      "'sqlite_%'"
                    : "SELECT table_name FROM information_schema.tables WHERE table_schema = "
                      "'public'",
                &error);
  EXPECT_TRUE(error.empty()) << error;
  std::map<std::string, std::vector<std::string>> result;
  for (const auto& table : tables) {
    std::vector<std::string>& lines = result[*table.front()];
    for (const auto& row : db->query("SELECT * FROM \"" + *table.front() + "\"", &error)) {
      std::string line;
      for (const auto& cell : row) line += (cell ? *cell : "NULL") + "|";
      lines.push_back(line);
    }
    EXPECT_TRUE(error.empty()) << error;
    std::sort(lines.begin(), lines.end());
  }
  return result;
}

template <typename Driver>
class ConcurrentImportTest : public ::testing::Test {
 protected:
  // Starts two imports into `db` that wait at a common gate, opens the gate, and returns their
  // results (1 each when both succeeded).
  std::vector<int> importTwiceAtOnce(const edatest::TestDatabase& db) {
    int gate[2];
    if (pipe(gate) != 0) return {};
    std::vector<pid_t> children;
    for (int i = 0; i < 2; ++i) {
      const pid_t child = fork();
      if (child == 0) {
        close(gate[1]);
        char go = 0;
        const bool opened = read(gate[0], &go, 1) == 1;
        _exit(opened && edatest::importInto(db) == 1 ? 0 : 1);
      }
      if (child > 0) children.push_back(child);
    }
    close(gate[0]);
    const char go[2] = {'g', 'g'};
    EXPECT_EQ(write(gate[1], go, 2), 2);
    close(gate[1]);
    std::vector<int> results;
    for (pid_t child : children) {
      int status = 0;
      waitpid(child, &status, 0);
      results.push_back(WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 1 : 0);
    }
    return results;
  }

  void expectSameAsInSequence(bool schemaExists) {
    auto together = edatest::newDatabase(Driver::kDriver);
    auto inSequence = edatest::newDatabase(Driver::kDriver);
    ASSERT_TRUE(together && inSequence);
    if (schemaExists) {
      ASSERT_EQ(edatest::importInto(*together), 1);
      ASSERT_EQ(edatest::importInto(*inSequence), 1);
    }
    EXPECT_EQ(importTwiceAtOnce(*together), std::vector<int>({1, 1}));
    ASSERT_EQ(edatest::importInto(*inSequence), 1);
    ASSERT_EQ(edatest::importInto(*inSequence), 1);

    const auto expected = contents(inSequence.get());
    EXPECT_GT(expected.size(), 5u);
    EXPECT_FALSE(expected.at("Relations").empty());
    EXPECT_EQ(contents(together.get()), expected);
  }

  edatest::ConnectorEnvironment env_;
};
TYPED_TEST_SUITE(ConcurrentImportTest, OdbcDrivers, OdbcDriverNames);

TYPED_TEST(ConcurrentImportTest, TwoImportsCreatingTheTablesAtOnce) {
  this->expectSameAsInSequence(false);
}

TYPED_TEST(ConcurrentImportTest, TwoImportsIntoExistingTablesAtOnce) {
  this->expectSameAsInSequence(true);
}

}  // namespace
