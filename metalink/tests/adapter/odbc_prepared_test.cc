#include "adapter/odbc_prepared.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "odbc_fixture.h"
#include "platform/text.h"

namespace {

std::u16string wide(const std::string& text) { return platform::utf8ToUtf16(text); }

template <typename Driver>
class OdbcPreparedTest : public OdbcFixture<Driver> {};
TYPED_TEST_SUITE(OdbcPreparedTest, OdbcDrivers, OdbcDriverNames);

// Text parameters meet typed columns the way quoted literals do: '0010' is the number 10 in an
// integer column, both when written and when compared; the generated key comes back from the
// insert itself; every plane of text arrives whole.
TYPED_TEST(OdbcPreparedTest, TextParametersBehaveLikeLiterals) {
  this->sql("CREATE TABLE \"T\" (\"Id\" " + this->identityType() +
            ", \"Num\" INTEGER CHECK (\"Num\" < 1000), \"Name\" VARCHAR(40))");
  // SQLite's driver returns no rows from an INSERT: the key is asked for after it.
  const bool returning = !this->isSqlite();
  auto insert = this->command_.prepare(u"INSERT INTO \"T\"(\"Num\",\"Name\") VALUES(?, ?)" +
                                       std::u16string(returning ? u" RETURNING \"Id\"" : u""));
  ASSERT_NE(insert, nullptr) << ::testing::PrintToString(this->log_.messages("ERROR"));
  auto lastKey = this->command_.prepare(returning ? u"SELECT 1" : u"SELECT last_insert_rowid()");
  ASSERT_NE(lastKey, nullptr);
  auto newKey = [&]() -> CODBCPrepared::Value {
    if (!returning) lastKey->run({});
    const auto& rows = returning ? insert->rows() : lastKey->rows();
    return rows.size() == 1 && rows[0].size() == 1 ? rows[0][0] : std::nullopt;
  };
  const std::u16string text = wide("Grüße \xF0\x9F\x98\x80 O'Hara");
  ASSERT_EQ(insert->run({u"0010", text}), CODBCCommand::Outcome::kDone);
  EXPECT_EQ(newKey(), std::u16string(u"1"));
  ASSERT_EQ(insert->run({u"7", u""}), CODBCCommand::Outcome::kDone);
  EXPECT_EQ(newKey(), std::u16string(u"2"));

  auto select = this->command_.prepare(u"SELECT \"Id\", \"Name\" FROM \"T\" WHERE \"Num\" = ?");
  ASSERT_NE(select, nullptr);
  ASSERT_EQ(select->run({u"10"}), CODBCCommand::Outcome::kDone);
  ASSERT_EQ(select->rows().size(), 1u);
  EXPECT_EQ(select->rows()[0][1], text);
  auto update = this->command_.prepare(u"UPDATE \"T\" SET \"Name\" = ? WHERE \"Num\" = ?");
  ASSERT_NE(update, nullptr);
  EXPECT_EQ(update->run({u"x", u"0007"}), CODBCCommand::Outcome::kDone);
  EXPECT_EQ(update->run({u"x", u"99"}), CODBCCommand::Outcome::kNoRows);
  EXPECT_EQ(this->rows("SELECT \"Name\" FROM \"T\" WHERE \"Num\" = 7")[0][0], "x");
  EXPECT_TRUE(this->log_.messages("ERROR").empty());

  // A failing run is logged once and leaves the statement usable.
  EXPECT_EQ(insert->run({u"5000", u"y"}), CODBCCommand::Outcome::kFailed);
  EXPECT_FALSE(this->command_.lastFailure().empty());
  EXPECT_EQ(this->log_.messages("ERROR").size(), 1u);
  EXPECT_EQ(insert->run({u"5", u"z"}), CODBCCommand::Outcome::kDone);
  EXPECT_EQ(this->rows("SELECT COUNT(*) FROM \"T\"")[0][0], "3");
}

}  // namespace
