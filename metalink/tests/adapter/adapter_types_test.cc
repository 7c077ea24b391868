// The adapters on a command of the wrong kind, and the operations that need no database.
#include <gtest/gtest.h>

#include "adapter/edalib_adapter.h"
#include "adapter/edalib_command.h"
#include "adapter/odbc_adapter.h"
#include "adapter/odbc_command.h"
#include "dataset/data_set.h"

namespace {

TEST(AdapterTypesTest, OdbcAdapterOnALibraryCommandDoesNothing) {
  CEDALibCommand library;
  CODBCAdapter adapter(&library);
  EXPECT_TRUE(adapter.getIdentifierQuote().empty());
  CDataSet dataSet(u"x");
  adapter.fill(&dataSet);
  EXPECT_TRUE(dataSet.getTables().empty());
  EXPECT_TRUE(dataSet.getTypeNames().empty());
  EXPECT_FALSE(adapter.update(&dataSet));
  CDataTable* table = dataSet.addTable(u"T");
  table->addRow(std::make_unique<CDataRow>(table, 1));
  EXPECT_FALSE(adapter.fillTable(table));
  EXPECT_EQ(table->getRows().size(), 1u);
  EXPECT_FALSE(adapter.fillNamedTables(&dataSet, {}));
}

TEST(AdapterTypesTest, OdbcAdapterNeedsADataSet) {
  CODBCCommand command;
  CODBCAdapter adapter(&command);
  EXPECT_FALSE(adapter.update(nullptr));
  EXPECT_FALSE(adapter.fillTable(nullptr));
  adapter.fill(nullptr);
  CDataSet dataSet(u"x");
  // Nothing to read, so nothing is asked of the (unconnected) database.
  EXPECT_TRUE(adapter.fillNamedTables(&dataSet, {}));
  EXPECT_FALSE(adapter.fillNamedTable(&dataSet, u"Missing"));
}

TEST(AdapterTypesTest, LibraryAdapterOnAnOdbcCommandDoesNothing) {
  CODBCCommand command;
  CEDALibAdapter adapter(&command, nullptr);
  CDataSet dataSet(u"x");
  CDataTable* table = dataSet.addTable(u"T");
  adapter.fill(&dataSet);
  EXPECT_FALSE(adapter.update(&dataSet));
  EXPECT_FALSE(adapter.fillTable(table));

  CEDALibCommand library;
  CEDALibAdapter onLibrary(&library, nullptr);
  EXPECT_FALSE(onLibrary.fillTable(table));
  EXPECT_FALSE(onLibrary.updateLibrary(nullptr, nullptr, true, nullptr));
}

}  // namespace
