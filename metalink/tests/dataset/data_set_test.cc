#include "dataset/data_set.h"

#include <gtest/gtest.h>

namespace {

// A table "Parts" with an optional identity column "Parts0" and a key column "Name".
CDataTable* makeParts(CDataSet* ds, bool withIdentity) {
  CDataTable* t = ds->addTable(u"Parts");
  if (withIdentity) {
    t->addColumn(std::make_unique<CDataColumn>(t, u"Parts0", 4, 10, u"", true, false, 2));
  }
  t->addColumn(std::make_unique<CDataColumn>(t, u"Name", -9, 255, u"", false, true, 2));
  return t;
}

CDataRow* addRow(CDataTable* t, const char16_t* id, const char16_t* name) {
  CDataRow* r = t->addRow(std::make_unique<CDataRow>(t, 1));
  if (id) r->setValue(u"Parts0", id);
  r->setValue(u"Name", name);
  return r;
}

TEST(DataSetTest, TableLookupIgnoresCaseAndFirstTableStays) {
  CDataSet ds(u"db");
  CDataTable* first = ds.addTable(u"Parts");
  EXPECT_EQ(ds.getTable(u"PARTS"), first);
  EXPECT_EQ(ds.addTable(u"Parts"), first);
  EXPECT_EQ(ds.getTables().size(), 1u);
  EXPECT_EQ(first->getDataSet(), &ds);
  EXPECT_EQ(first->getKind(), 1u);
  EXPECT_EQ(ds.getTable(u"Missing"), nullptr);
  EXPECT_EQ(ds.getValueSeparator(), u"&#59;");
}

TEST(DataSetTest, TypeNamesKeepTheFirstRegistration) {
  CDataSet ds(u"db");
  ds.addTypeName(-9, u"NVARCHAR");
  ds.addTypeName(-9, u"NTEXT");
  EXPECT_EQ(ds.getTypeName(-9), u"NVARCHAR");
  EXPECT_EQ(ds.getTypeName(4), u"");
}

TEST(DataSetTest, CellsHoldOneOrMoreValues) {
  CDataSet ds(u"db");
  CDataTable* t = makeParts(&ds, true);
  CDataRow* r = t->addRow(std::make_unique<CDataRow>(t, 1));
  EXPECT_FALSE(r->hasValue(u"Value"));
  EXPECT_EQ(r->getValue(u"Value"), u"");
  r->addValue(u"Value", u"10");
  r->addValue(u"Value", u"20");
  std::vector<std::u16string> values;
  ASSERT_TRUE(r->getValues(u"Value", &values));
  EXPECT_EQ(values, (std::vector<std::u16string>{u"10", u"20"}));
  EXPECT_EQ(r->getValue(u"Value"), u"10");
  r->setValue(u"Value", u"30");
  ASSERT_TRUE(r->getValues(u"Value", &values));
  EXPECT_EQ(values, std::vector<std::u16string>{u"30"});
  EXPECT_FALSE(r->getValues(u"value", &values)) << "cells are keyed exactly";

  r->addKeyColumn(u"Name");
  r->addKeyColumn(u"Name");
  r->addKeyColumn(u"NAME");
  EXPECT_EQ(r->getKeyColumns(), (std::vector<std::u16string>{u"Name", u"NAME"}));
}

TEST(DataSetTest, ColumnLookupAndKeys) {
  CDataSet ds(u"db");
  CDataTable* t = makeParts(&ds, true);
  ASSERT_NE(t->findColumn(u"NAME"), nullptr);
  EXPECT_EQ(t->findColumn(u"NAME")->getTable(), t);
  EXPECT_TRUE(t->hasPrimaryKey());
  EXPECT_TRUE(t->isPrimaryKeyColumn(u"name"));
  EXPECT_FALSE(t->isPrimaryKeyColumn(u"Parts0"));
  EXPECT_EQ(t->getIdentityColumn()->getName(), u"Parts0");
  t->findColumn(u"Name")->setPrimaryKey(false);
  EXPECT_FALSE(t->hasPrimaryKey());
}

TEST(DataSetTest, IdentitySearchesUseTheirOwnCaseRules) {
  CDataSet ds(u"db");
  CDataTable* t = makeParts(&ds, true);
  CDataRow* abc = addRow(t, u"ABC", u"R1");
  CDataRow* two = addRow(t, u"2", u"r1");
  EXPECT_EQ(t->findRowByIdentity(u"abc"), abc);
  EXPECT_TRUE(t->findRowsByIdentity({u"abc"}).empty());
  EXPECT_EQ(t->findRowsByIdentity({u"2", u"ABC"}), (std::vector<CDataRow*>{abc, two}));
  EXPECT_EQ(abc->getIdentityValue(), u"ABC");
  EXPECT_EQ(t->findRowsMatching({{u"Name", u"R1"}}), (std::vector<CDataRow*>{abc, two}));
  EXPECT_EQ(t->findRowsMatching({{u"Name", u"R1"}, {u"Parts0", u"2"}}),
            std::vector<CDataRow*>{two});
  EXPECT_EQ(t->findRowsMatching({}).size(), 2u);
}

TEST(DataSetTest, TableWithoutIdentityFindsNothing) {
  CDataSet ds(u"db");
  CDataTable* t = makeParts(&ds, false);
  CDataRow* r = addRow(t, u"1", u"R1");
  EXPECT_EQ(t->getIdentityColumn(), nullptr);
  EXPECT_EQ(r->getIdentityValue(), u"");
  EXPECT_EQ(t->findRowByIdentity(u"1"), nullptr);
  EXPECT_TRUE(t->findRowsByIdentity({u"1"}).empty());
  EXPECT_TRUE(t->findRowsMatching({}).empty());
  EXPECT_TRUE(t->findRowsMatching({{u"Name", u"R1"}}).empty());
}

TEST(DataSetTest, RowLinks) {
  CDataSet ds(u"db");
  CDataTable* t = makeParts(&ds, true);
  CDataRow* item = addRow(t, u"1", u"R1");
  CDataRow* sheet = addRow(t, u"2", u"datasheet");
  item->addRelatedRow(u"Datasets", sheet);
  item->addRelatedRow(u"Datasets", sheet);
  item->addRelatedRow(u"Models", sheet);
  EXPECT_EQ(item->getRelatedRows().at(u"Datasets").size(), 1u);
  EXPECT_EQ(item->getRelatedRows().at(u"Models").size(), 1u);
  item->setReferencedRow(u"Footprint", sheet);
  item->setReferencedRow(u"Footprint", item);
  EXPECT_EQ(item->getReferencedRows().at(u"Footprint"), item);
  t->clearRows();
  EXPECT_TRUE(t->getRows().empty());
  EXPECT_EQ(t->getColumns().size(), 2u);
}

}  // namespace
