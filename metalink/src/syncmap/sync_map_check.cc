// CEDASyncMap::checkNames: a map whose names the database cannot take is refused before the
// first statement, rather than failing row by row (or writing into the link table) later.
#include "syncmap/eda_element.h"
#include "syncmap/eda_sync_map.h"
#include "syncmap/eda_table.h"
#include "util/connector_util.h"

namespace {

std::string lowered(std::string text) {
  ConnectorUtil::toLowerAscii(text);
  return text;
}

// Depth first, in file order, so the problem reported is the first one in the file.
bool checkElement(const CEDAElement& element, const std::string& linkTable,
                  const std::function<std::string(const std::string&)>& reservedReason,
                  std::string* problem) {
  for (const CEDAProperty* property : element.getMappedProperties()) {
    const CEDAColumn* column = property->getColumn();
    const std::string& table = column->getTable()->getName();
    const std::string where =
        "the property \"" + property->getName() + "\" of the element \"" + element.getName() + "\"";
    if (table.empty()) {
      *problem = where + " is mapped to a table without a name";
      return false;
    }
    if (column->getName().empty()) {
      *problem = where + " is mapped to a column without a name in the table \"" + table + "\"";
      return false;
    }
    if (lowered(table) == lowered(linkTable)) {
      *problem = "the table \"" + table + "\" of " + where + " has the name of the link table " +
                 linkTable + " (letter case aside)";
      return false;
    }
    const std::string reason = reservedReason(table);
    if (!reason.empty()) {
      *problem = "the table \"" + table + "\" of " + where + " is reserved: " + reason;
      return false;
    }
  }
  for (const CEDAElement* child : element.getChildren()) {
    if (!checkElement(*child, linkTable, reservedReason, problem)) return false;
  }
  return true;
}

}  // namespace

bool CEDASyncMap::checkNames(
    const std::string& linkTable,
    const std::function<std::string(const std::string& table)>& reservedReason,
    std::string* problem) const {
  problem->clear();
  for (const CEDAElement* element : getElements()) {
    if (!checkElement(*element, linkTable, reservedReason, problem)) return false;
  }
  return true;
}
