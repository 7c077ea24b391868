// Writing a data set into the database: rows first so that every row has its identity, then the
// link rows and reference cells that need those identities.
#include <memory>
#include <vector>

#include "adapter/odbc_adapter.h"
#include "adapter/odbc_command.h"
#include "adapter/odbc_fast_write.h"
#include "adapter/result_row.h"
#include "util/cell_text.h"
#include "util/message_logger.h"
#include "util/text_conversion.h"

namespace {

constexpr const char* kSource = "DataAdapter";
std::u16string referenceCell(const CDataRow& target) {
  return cell_text::referenceCell(target.getTable()->getName(), target.getIdentityValue());
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
  if (!inImport_) report_ = UpdateReport();
  failedRows_.clear();
  if (odbcCommand() == nullptr || dataSet == nullptr) return false;
  CDataTable* relations = dataSet->getTable(kRelationsTable);
  const std::u16string setting = statements().fastWriteSetting();
  if (usesFastWrite() && (setting.empty() || runRowStatement(setting))) {
    PreparedStatements prepared(odbcCommand());
    StoredTables stored;
    writeRowsFast(dataSet, &prepared, &stored);
    if (relations != nullptr && !report_.stopped()) {
      writeLinksFast(dataSet, relations, &prepared, &stored);
    }
  } else {
    writeRows(dataSet);
    if (relations != nullptr && !report_.stopped()) writeLinks(dataSet, relations);
  }
  return report_.failedRows == 0 && !report_.stopped();
}

void CODBCAdapter::rowFailed(const CDataRow* row) {
  // A row counts once, however many of its statements failed.
  if (failedRows_.insert(row).second)
    report_.failedRows = static_cast<long long>(failedRows_.size());
}

bool CODBCAdapter::noteFailure() {
  const odbc::Failure& failure = odbcCommand()->lastFailure();
  if (failure.endsTransaction()) {
    report_.fatal = failure;
    return false;
  }
  return true;
}

bool CODBCAdapter::runRowStatement(const std::u16string& text, bool query) {
  CODBCCommand* odbc = odbcCommand();
  return fenced([odbc, &text, query] {
    return query ? odbc->executeQuery(text) : odbc->execute(text) != CODBCCommand::Outcome::kFailed;
  });
}

bool CODBCAdapter::fenced(const std::function<bool()>& statement) {
  CODBCCommand* odbc = odbcCommand();
  const SqlStatementBuilder sql = statements();
  const bool fenced = inImport_ && !sql.savepoint().empty();
  if (fenced && odbc->execute(sql.savepoint()) == CODBCCommand::Outcome::kFailed) {
    noteFailure();
    // Without its savepoint the statement could not be undone alone: nothing more can run.
    if (!report_.stopped()) report_.fatal = odbc->lastFailure();
    return false;
  }
  if (!statement()) {
    noteFailure();
    if (fenced && !report_.stopped() &&
        odbc->execute(sql.rollbackToSavepoint()) == CODBCCommand::Outcome::kFailed) {
      report_.fatal = odbc->lastFailure();
    }
    return false;
  }
  if (fenced && odbc->execute(sql.releaseSavepoint()) == CODBCCommand::Outcome::kFailed) {
    report_.fatal = odbc->lastFailure();
  }
  return true;
}

bool CODBCAdapter::setLockTimeout(int seconds) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr) return false;
  const std::u16string text = statements().lockTimeout(seconds);
  return text.empty() || odbc->execute(text) != CODBCCommand::Outcome::kFailed;
}

bool CODBCAdapter::beginImport() {
  report_ = UpdateReport();
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr) return false;
  const SqlStatementBuilder sql = statements();
  auto run = [odbc](const std::u16string& text) {
    return text.empty() || odbc->execute(text) != CODBCCommand::Outcome::kFailed;
  };
  const bool begun = sql.beginImport().empty() ? odbc->beginTransaction() : run(sql.beginImport());
  if (!begun) {
    report_.fatal = odbc->lastFailure();
    if (report_.fatal.empty()) report_.fatal.message = "The transaction cannot begin";
    return false;
  }
  inImport_ = true;
  schemaCommitted_ = SchemaCommitted();
  if (!sql.importLock().empty()) {
    if (!odbc->executeQuery(sql.importLock())) {
      report_.fatal = odbc->lastFailure();
      endImport(false);
      return false;
    }
    importLocked_ = true;
  }
  return true;
}

bool CODBCAdapter::commitSchemaPart(const SchemaCommitted& reached) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr || !inImport_) return true;
  // Only where the driver runs the transaction (auto-commit off): the session lock stays.
  if (!statements().commitImport().empty()) return true;
  if (!odbc->endTransaction(true) || !odbc->beginTransaction()) {
    report_.fatal = odbc->lastFailure();
    if (report_.fatal.empty()) report_.fatal.message = "The schema changes cannot be committed";
    return false;
  }
  schemaCommitted_ = reached;
  return true;
}

bool CODBCAdapter::endImport(bool commit) {
  CODBCCommand* odbc = odbcCommand();
  if (odbc == nullptr || !inImport_) return false;
  inImport_ = false;
  const SqlStatementBuilder sql = statements();
  const std::u16string text = commit ? sql.commitImport() : sql.rollbackImport();
  if (text.empty()) {
    const bool ended = odbc->endTransaction(commit);
    // A session lock outlives the transaction. When the transaction could not be ended the
    // connection is most likely lost, which has released the lock already; otherwise the
    // disconnect releases it.
    if (importLocked_ && ended) odbc->executeQuery(sql.importUnlock());
    importLocked_ = false;
    return ended;
  }
  if (odbc->execute(text) != CODBCCommand::Outcome::kFailed) return true;
  if (commit) {
    report_.fatal = odbc->lastFailure();
    odbc->execute(sql.rollbackImport());
  }
  return false;
}

void CODBCAdapter::writeRows(CDataSet* dataSet) {
  for (const auto& entry : dataSet->getTables()) {
    CDataTable* table = entry.second.get();
    for (const auto& row : table->getRows()) {
      if (report_.stopped()) return;
      if (rowObserver_) rowObserver_();
      writeRowByStatements(table, row.get());
    }
  }
}

void CODBCAdapter::writeRowByStatements(CDataTable* table, CDataRow* row) {
  CODBCCommand* odbc = odbcCommand();
  const CDataColumn* identity = table->getIdentityColumn();
  bool found = false;
  if (table->hasPrimaryKey()) {
    const std::u16string select = buildSelect(*row, false);
    // An existence query that fails counts as a row not found, unless nothing can run.
    if (!select.empty() && runRowStatement(select, true) && !odbc->getRows().empty()) {
      found = true;
      if (identity != nullptr) {
        row->setValue(identity->getName(),
                      resultValue(odbc->getRows().front(), identity->getName()));
      }
    }
    if (report_.stopped()) return;
  }
  if (found) {
    const std::u16string statement = buildUpdate(*row, false);
    if (!statement.empty() && !runRowStatement(statement)) rowFailed(row);
    return;
  }
  const std::u16string statement = buildInsert(*row);
  if (statement.empty()) return;
  // An insert that failed generated no key: asking for one would hand this row the key of the
  // previous insert, and links would then point at the wrong row.
  if (!runRowStatement(statement)) {
    rowFailed(row);
    return;
  }
  if (identity == nullptr && odbc->getDialect().identityQueryNeedsIdentityColumn()) return;
  const std::u16string newIdentity = fetchNewIdentity();
  if (identity != nullptr) row->setValue(identity->getName(), newIdentity);
}

bool CODBCAdapter::makeLinks(CDataSet* dataSet, CDataTable* relations,
                             std::vector<CDataRow*>* linked, std::vector<CDataRow*>* links,
                             const std::function<bool(CDataRow*)>& writeReferences) {
  const auto neverWritten = [this](const CDataRow* row) {
    return row->getIdentityValue().empty() && failedRows_.count(row) != 0;
  };
  for (const auto& entry : dataSet->getTables()) {
    CDataTable* table = entry.second.get();
    // Link rows are added to the Relations table while tables are walked; only the rows that
    // were there before are visited.
    const size_t count = table->getRows().size();
    for (size_t i = 0; i < count; ++i) {
      CDataRow* row = table->getRows()[i].get();
      // A row whose insert failed is not in the database: links from it or to it would point at
      // nothing (it is counted as failed already).
      if (neverWritten(row)) continue;
      bool hasLinks = false;
      for (const auto& related : row->getRelatedRows()) {
        for (CDataRow* target : related.second) {
          if (neverWritten(target)) continue;
          auto link = std::make_unique<CDataRow>(relations, 1);
          link->addValue(u"PrimaryTable", table->getName());
          link->addValue(u"PrimaryID", row->getIdentityValue());
          link->addValue(u"SecondaryTable", target->getTable()->getName());
          link->addValue(u"SecondaryID", target->getIdentityValue());
          link->addValue(u"Relation", related.first);
          links->push_back(relations->addRow(std::move(link)));
          hasLinks = true;
        }
      }
      if (hasLinks) linked->push_back(row);

      if (row->getReferencedRows().empty()) continue;
      for (const auto& reference : row->getReferencedRows()) {
        row->setValue(reference.first, referenceCell(*reference.second));
      }
      if (report_.stopped()) return false;
      if (!writeReferences(row) && (rowFailed(row), MessageLogger::errorEnabled())) {
        MessageLogger::error(kSource, "The reference cells of a row of table [" +
                                          toUtf8(table->getName()) +
                                          "] cannot be written: the table has no primary key");
      }
    }
  }
  return !report_.stopped();
}

void CODBCAdapter::writeLinks(CDataSet* dataSet, CDataTable* relations) {
  std::vector<CDataRow*> linked;
  std::vector<CDataRow*> links;
  const bool made = makeLinks(dataSet, relations, &linked, &links, [this](CDataRow* row) {
    const std::u16string statement = buildUpdate(*row, true);
    if (statement.empty()) return false;
    if (!runRowStatement(statement)) rowFailed(row);
    return true;
  });
  if (!made) return;
  // The link rows of a row are replaced as a whole, so a second run leaves no duplicates.
  for (CDataRow* row : linked) {
    if (report_.stopped()) return;
    if (!runRowStatement(buildDeleteWhere(relations, {{u"PrimaryTable", row->getTable()->getName()},
                                                      {u"PrimaryID", row->getIdentityValue()}}))) {
      rowFailed(row);
    }
  }
  for (CDataRow* link : links) {
    if (report_.stopped()) return;
    if (!runRowStatement(buildInsert(*link))) rowFailed(link);
  }
}
