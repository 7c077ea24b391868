// The SQL text the ODBC adapter runs. Every value is written into the text as a quoted literal
// (lit: ' doubled) and every table and column name between two copies of the driver's
// identifier quote (q). A builder that has nothing to say returns the empty text.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "adapter/sql_dialect.h"
#include "dataset/data_set.h"

class SqlStatementBuilder {
 public:
  using ColumnValuePairs = CDataTable::ColumnValuePairs;

  SqlStatementBuilder(std::u16string identifierQuote, SqlDialect dialect)
      : quote_(std::move(identifierQuote)), dialect_(dialect) {}

  std::u16string q(const std::u16string& name) const { return quoteIdentifier(name, quote_); }

  // The values of the row's cell joined with the data set's value separator.
  static std::u16string cell(const CDataRow& row, const std::u16string& column);

  // INSERT INTO q(T)(q(c1),q(c2)) VALUES(lit(x1), lit(x2)), cells in column-name order.
  std::u16string insert(const CDataRow& row) const;
  // UPDATE q(T) SET q(c) = lit(x), ... WHERE q(k) = lit(x) AND ...; the identity column is not
  // set. The WHERE clause takes the table's primary key columns or the row's key columns.
  std::u16string update(const CDataRow& row, bool byPrimaryKey) const;
  // SELECT * FROM q(T) WHERE ..., the WHERE clause as for update().
  std::u16string select(const CDataRow& row, bool byPrimaryKey) const;
  // SELECT * FROM q(T)[ WHERE q(c1) = lit(x1) AND ...]
  std::u16string selectWhere(const CDataTable* table, const ColumnValuePairs& pairs) const;
  // DELETE FROM q(T) WHERE q(c1)=lit(x1) AND ...; empty without pairs.
  std::u16string deleteWhere(const CDataTable* table, const ColumnValuePairs& pairs) const;
  // q(c) + " " + type: the identity type for an auto-increment column, else the driver's type
  // name, with "(size)" for the wide character types (-8, -9, -10).
  std::u16string columnDefinition(const CDataColumn& column) const;
  // CREATE TABLE q(T)(def1,def2[,PRIMARY KEY(q(k1),q(k2))])
  std::u16string createTable(const CDataTable& table) const;
  // ALTER TABLE q(T) ADD def1,def2[, PRIMARY KEY(...)] for the columns marked to be added.
  std::u16string alterTableAdd(const CDataTable& table) const;
  std::u16string newIdentityQuery() const { return dialect_.newIdentityQuery(); }

 private:
  // q(c) = lit(x) for each cell of the WHERE clause, joined with " AND ".
  std::u16string whereClause(const CDataRow& row, bool byPrimaryKey) const;
  std::u16string keyList(const std::vector<const CDataColumn*>& columns) const;

  std::u16string quote_;
  SqlDialect dialect_;
};
