// The base of the commands: one source of data (an ODBC data source, a library file held in
// memory) and the rows of the last query run on it.
#pragma once

#include <string>
#include <utility>
#include <vector>

class CDataCommand {
 public:
  // One result row: (column name, value) pairs in result-column order. A NULL or empty database
  // value is the empty text.
  using ResultRow = std::vector<std::pair<std::u16string, std::u16string>>;

  // Receives a result row by row, so that a large result is never held whole. `columns` comes
  // once, with the result's column names in order, before the first row; `row` once per row
  // with its values in that order, which the sink may move from.
  class RowSink {
   public:
    virtual ~RowSink() = default;
    virtual void columns(const std::vector<std::u16string>& names) = 0;
    virtual void row(std::vector<std::u16string>* values) = 0;
  };

  CDataCommand() = default;
  virtual ~CDataCommand() = default;
  CDataCommand(const CDataCommand&) = delete;
  CDataCommand& operator=(const CDataCommand&) = delete;

  // The rows of the last query. Read them right after the query, before the next one replaces
  // them.
  const std::vector<ResultRow>& getRows() const { return rows_; }
  // Hands the rows of the last query over to the caller; the command holds none afterwards.
  std::vector<ResultRow> takeRows() {
    std::vector<ResultRow> rows = std::move(rows_);
    rows_.clear();
    return rows;
  }

 protected:
  std::vector<ResultRow> rows_;
};
