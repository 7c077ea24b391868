// Writing a data set into the database: rows first so that every row has its identity, then the
// link rows and reference cells that need those identities.
#include <memory>
#include <vector>

#include "adapter/odbc_adapter.h"
#include "adapter/odbc_command.h"
#include "adapter/result_row.h"
#include "util/message_logger.h"
#include "util/text_conversion.h"

namespace {

constexpr const char* kSource = "DataAdapter";
// Separates the parts of a reference cell: table name, identity value, "Reference".
constexpr const char16_t* kPartSeparator = u"&#44;";

std::u16string referenceCell(const CDataRow& target) {
  return target.getTable()->getName() + kPartSeparator + target.getIdentityValue() +
         kPartSeparator + u"Reference";
}

}  // namespace

std::u16string CODBCAdapter::fetchNewIdentity() {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr || !odbc->executeQuery(buildNewIdentityQuery())) return std::u16string();
  const auto& rows = odbc->getRows();
  if (rows.empty() || rows.front().empty()) return std::u16string();
  return rows.front().front().second;
}

bool CODBCAdapter::update(CDataSet* dataSet) {
  if (odbcCommand() == nullptr || dataSet == nullptr) return false;
  writeRows(dataSet);
  if (CDataTable* relations = dataSet->getTable(kRelationsTable)) writeLinks(dataSet, relations);
  return true;
}

void CODBCAdapter::writeRows(CDataSet* dataSet) {
  CODBCCommand* odbc = odbcCommand();
  const bool identityNeedsColumn = odbc->getDialect().identityQueryNeedsIdentityColumn();
  for (const auto& entry : dataSet->getTables()) {
    CDataTable* table = entry.second.get();
    const CDataColumn* identity = table->getIdentityColumn();
    for (const auto& row : table->getRows()) {
      if (rowObserver_) rowObserver_();
      bool found = false;
      if (table->hasPrimaryKey()) {
        const std::u16string select = buildSelect(*row, false);
        if (!select.empty() && odbc->executeQuery(select) && !odbc->getRows().empty()) {
          found = true;
          if (identity != nullptr) {
            row->setValue(identity->getName(),
                          resultValue(odbc->getRows().front(), identity->getName()));
          }
        }
      }
      if (found) {
        const std::u16string statement = buildUpdate(*row, false);
        if (!statement.empty()) odbc->execute(statement);
        continue;
      }
      const std::u16string statement = buildInsert(*row);
      // An insert that failed generated no key: asking for one would hand this row the key of
      // the previous insert, and links would then point at the wrong row.
      const bool inserted =
          !statement.empty() && odbc->execute(statement) != CODBCCommand::Outcome::kFailed;
      if (!inserted || (identity == nullptr && identityNeedsColumn)) continue;
      const std::u16string newIdentity = fetchNewIdentity();
      if (identity != nullptr) row->setValue(identity->getName(), newIdentity);
    }
  }
}

void CODBCAdapter::writeLinks(CDataSet* dataSet, CDataTable* relations) {
  CODBCCommand* odbc = odbcCommand();
  std::vector<CDataRow*> linked;
  std::vector<CDataRow*> links;
  for (const auto& entry : dataSet->getTables()) {
    CDataTable* table = entry.second.get();
    // Link rows are added to the Relations table while tables are walked; only the rows that
    // were there before are visited.
    const size_t count = table->getRows().size();
    for (size_t i = 0; i < count; ++i) {
      CDataRow* row = table->getRows()[i].get();
      bool hasLinks = false;
      for (const auto& related : row->getRelatedRows()) {
        for (CDataRow* target : related.second) {
          auto link = std::make_unique<CDataRow>(relations, 1);
          link->addValue(u"PrimaryTable", table->getName());
          link->addValue(u"PrimaryID", row->getIdentityValue());
          link->addValue(u"SecondaryTable", target->getTable()->getName());
          link->addValue(u"SecondaryID", target->getIdentityValue());
          link->addValue(u"Relation", related.first);
          links.push_back(relations->addRow(std::move(link)));
          hasLinks = true;
        }
      }
      if (hasLinks) linked.push_back(row);

      if (row->getReferencedRows().empty()) continue;
      for (const auto& reference : row->getReferencedRows()) {
        row->setValue(reference.first, referenceCell(*reference.second));
      }
      const std::u16string statement = buildUpdate(*row, true);
      if (!statement.empty()) {
        odbc->execute(statement);
      } else if (MessageLogger::errorEnabled) {
        MessageLogger::error(kSource, "The reference cells of a row of table [" +
                                          toUtf8(table->getName()) +
                                          "] cannot be written: the table has no primary key");
      }
    }
  }
  // The link rows of a row are replaced as a whole, so a second run leaves no duplicates.
  for (CDataRow* row : linked) {
    odbc->execute(buildDeleteWhere(relations, {{u"PrimaryTable", row->getTable()->getName()},
                                               {u"PrimaryID", row->getIdentityValue()}}));
  }
  for (CDataRow* link : links) odbc->execute(buildInsert(*link));
}
