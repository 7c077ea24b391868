// The base of the adapters: each moves data between one command's source and a CDataSet.
#pragma once

class CDataCommand;
class CDataSet;
class CDataTable;

class CDataAdapter {
 public:
  // `command` is not owned and must outlive the adapter.
  explicit CDataAdapter(CDataCommand* command) : command_(command) {}
  virtual ~CDataAdapter() = default;
  CDataAdapter(const CDataAdapter&) = delete;
  CDataAdapter& operator=(const CDataAdapter&) = delete;

  // Reads the source into the data set.
  virtual void fill(CDataSet* dataSet) = 0;
  // Writes the data set to the source. False only when the adapter cannot work at all (its
  // command is not of the kind it needs, or no data set is given).
  virtual bool update(CDataSet* dataSet) = 0;
  // Reads all rows of one table of the data set from the source.
  virtual bool fillTable(CDataTable* table) = 0;

  CDataCommand* getCommand() const { return command_; }

 protected:
  CDataCommand* command_;
};
