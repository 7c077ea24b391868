// The sync map: which library objects and properties are stored in which database tables and
// columns, as read from the mapping file EDASyncMap.xml.
//
// File shape (element names are matched by local name, so a namespace prefix is ignored;
// attribute names ignoring ASCII case):
//   <anyRoot>
//     <element name="Resistor" type="Resistor" relation="">
//       <property name="itemId" required="true"><table name="Parts"><column name="PartNo"/>
//       </table></property>
//       <element name="Footprint" type="Footprint" relation="view"> ... </element>
//     </element>
//   </anyRoot>
// Elements of any other name are skipped together with their content, and a `property`
// directly under the root creates nothing.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <xercesc/util/XercesDefs.hpp>

#include "syncmap/eda_element.h"
#include "syncmap/eda_table.h"

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

// Owns the top-level elements (which own their nested elements and properties) and the tables
// (which own their columns). Every pointer it hands out lives as long as the sync map. Not
// copyable; used by one thread at a time.
class CEDASyncMap {
 public:
  // The longest message kept by getLastError, in bytes.
  static constexpr size_t kMaxErrorLength = 499;
  // `element` entries nested deeper than this make the file fail to load.
  static constexpr int kMaxNesting = 200;

  CEDASyncMap();
  virtual ~CEDASyncMap();
  CEDASyncMap(const CEDASyncMap&) = delete;
  CEDASyncMap& operator=(const CEDASyncMap&) = delete;

  // Reads the mapping file at `path` (UTF-8) and adds its elements and tables to this map.
  // True on success, also for a document without a root element. False for a null path or when
  // the file cannot be read or is not well-formed XML: the message ("Fail to load the
  // EDASyncMap.xml file from <path> because <reason>") is then in getLastError and logged as an
  // ERROR line from "EDASyncMap". After a failure the map may hold part of the file; discard it.
  bool load(const char* path);

  // Top-level elements in file order (owned by the map).
  std::vector<CEDAElement*> getElements() const;
  // Every element of `elements` and, depth first (parent before its children), of their nested
  // elements whose type equals `type` ignoring ASCII case. Usually called with getElements().
  std::vector<CEDAElement*> findElementsByType(const std::vector<CEDAElement*>& elements,
                                               const std::string& type) const;
  // Tables and their names, ordered by the lower-cased name.
  std::vector<CEDATable*> getTables() const;
  std::vector<std::string> getTableNames() const;
  // The table registered under that name ignoring ASCII case, or null.
  CEDATable* findTable(const std::string& name) const;
  // The message of the last failed load; empty when none failed.
  const std::string& getLastError() const { return lastError_; }

  // Checks, before anything is written by the map, the names it would create or write: every
  // mapped table and column has a name, no table is named like the link table `linkTable`
  // (ignoring ASCII case), and `reservedReason` (the database's rule) returns an empty text for
  // every table name. False at the first problem, with `*problem` naming the element, the
  // property, the table or column and what is wrong.
  bool checkNames(const std::string& linkTable,
                  const std::function<std::string(const std::string& table)>& reservedReason,
                  std::string* problem) const;

  // Registers a column of a table and returns the new column record. Tables are merged ignoring
  // ASCII case and keep the spelling of their first mention.
  CEDAColumn* registerColumn(const std::string& tableName, const std::string& columnName);

 private:
  // Builds elements from the element children of `parent`; `enclosing` is null at the top level.
  // False when the nesting limit is passed.
  bool readChildren(const XERCES_CPP_NAMESPACE::DOMElement* parent, CEDAElement* enclosing,
                    int depth);
  void readProperty(const XERCES_CPP_NAMESPACE::DOMElement* node, CEDAElement* enclosing);
  void fail(const char* path, const std::string& reason);

  std::string name_;  // Kept for the file's sake; nothing reads it.
  std::vector<std::unique_ptr<CEDAElement>> elements_;
  std::map<std::string, std::unique_ptr<CEDATable>> tables_;  // Key: lower-cased table name.
  std::string lastError_;
};
