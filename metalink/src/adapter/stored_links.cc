#include "adapter/stored_links.h"

#include <functional>
#include <optional>

#include "adapter/odbc_command.h"
#include "adapter/odbc_prepared.h"
#include "adapter/sql_statements.h"
#include "adapter/value_rules.h"
#include "util/wide_text.h"

namespace {

const char16_t* const kLinkColumns[] = {u"PrimaryTable", u"PrimaryID", u"SecondaryTable",
                                        u"SecondaryID", u"Relation"};

// Each value with its length in front, so that no two lists of values encode alike.
void appendValue(const std::u16string* value, std::u16string* out) {
  if (value == nullptr) {
    out->push_back(u'\x01');
    return;
  }
  out->push_back(u'\x02');
  out->push_back(static_cast<char16_t>(value->size() & 0xFFFF));
  out->push_back(static_cast<char16_t>(value->size() >> 16));
  out->append(*value);
}

// Whether the link table is the connector's five text columns, compared exactly, with nothing
// that runs or draws a value when its rows are written.
bool plainLinkTable(CODBCCommand* odbc, const SqlStatementBuilder& sql,
                    const std::u16string& relations) {
  const bool sqlite = odbc->getDialect().kind() == SqlDialect::Kind::kSqlite;
  if (sqlite &&
      (!odbc->executeQuery(sql.sqliteTableSql(relations)) || odbc->getRows().size() != 1 ||
       sqliteDeclaresCollation(odbc->getRows()[0][0].second))) {
    return false;
  }
  const std::u16string triggers = sql.writeTriggers(relations);
  if (triggers.empty() || !odbc->executeQuery(triggers) || !odbc->getRows().empty()) return false;
  if (!odbc->executeQuery(sql.columnKinds(relations))) return false;
  const auto& kinds = odbc->getRows();
  if (kinds.size() != std::size(kLinkColumns)) return false;
  for (const auto& kind : kinds) {
    if (kind.size() < 3 || kind[2].second != u"y" ||
        valueRule(sqlite, kind[1].second) != ValueRule::kText) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::u16string StoredLinks::rowKey(const std::u16string& table, const std::u16string& id) {
  std::u16string key;
  appendValue(&table, &key);
  appendValue(&id, &key);
  return key;
}

void StoredLinks::add(Print* print, Value secondaryTable, Value secondaryId, Value relation) {
  std::u16string text;
  appendValue(secondaryTable, &text);
  appendValue(secondaryId, &text);
  appendValue(relation, &text);
  // Sums, so that the order of the links plays no part.
  print->first += std::hash<std::u16string>()(text);
  text.push_back(u'\x03');
  print->second += std::hash<std::u16string>()(text);
  ++print->count;
}

bool StoredLinks::read(CODBCCommand* odbc, const SqlStatementBuilder& sql,
                       const CDataTable& relations, const std::vector<std::u16string>& tables) {
  usable_ = false;
  byRow_.clear();
  if (odbc == nullptr || tables.empty() || relations.getIdentityColumn() != nullptr ||
      !plainLinkTable(odbc, sql, relations.getName())) {
    return false;
  }
  auto query = odbc->prepare(sql.selectColumnsWhereIn(
      relations.getName(), {std::begin(kLinkColumns), std::end(kLinkColumns)}, kLinkColumns[0],
      tables.size()));
  const auto each = [this](const CODBCPrepared::Row& link) {
    // A NULL never equals the text of a replacement's condition.
    if (link.size() != std::size(kLinkColumns) || !link[0] || !link[1]) return;
    const auto value = [&link](size_t i) { return link[i] ? &*link[i] : nullptr; };
    add(&byRow_[rowKey(*link[0], *link[1])], value(2), value(3), value(4));
  };
  if (query == nullptr || query->runEach(tables, each) == CODBCCommand::Outcome::kFailed) {
    byRow_.clear();
    return false;
  }
  usable_ = true;
  return true;
}

bool StoredLinks::same(const std::u16string& table, const std::u16string& id,
                       const std::vector<const CDataRow*>& links) const {
  if (!usable_) return false;
  Print wanted;
  for (const CDataRow* link : links) {
    const std::u16string secondaryTable = SqlStatementBuilder::cell(*link, kLinkColumns[2]);
    const std::u16string secondaryId = SqlStatementBuilder::cell(*link, kLinkColumns[3]);
    const std::u16string relation = SqlStatementBuilder::cell(*link, kLinkColumns[4]);
    add(&wanted, &secondaryTable, &secondaryId, &relation);
  }
  const auto found = byRow_.find(rowKey(table, id));
  return found == byRow_.end() ? wanted.count == 0 : found->second == wanted;
}
