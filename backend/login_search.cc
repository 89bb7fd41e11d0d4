#include "backend/login_search.h"

#include <set>

#include "backend/sql_calls.h"
#include "foundation/text.h"

namespace tarvelin::backend {
namespace {

std::set<LoginSearch*>& LiveSearches() {
  static auto* live = new std::set<LoginSearch*>();
  return *live;
}

Status AddCandidates(SqlStatement& statement, LoginSearch& search) {
  for (;;) {
    auto row = statement.Step();
    if (!row.ok()) return row.status();
    if (!*row) return Status::Ok();
    search.candidates.push_back({RecordFromBytes(statement.ColumnBytes(2)),
                                 std::string(statement.ColumnBytes(0)),
                                 static_cast<int32_t>(statement.ColumnInt(1))});
  }
}

}  // namespace

Result<std::unique_ptr<LoginSearch>> StartLoginSearch(SqlConnection& connection,
                                                      std::string_view login, bool alias_login) {
  const std::string lower = ToLower(Trim(login));
  auto search = std::make_unique<LoginSearch>();
  if (lower.empty()) return std::unique_ptr<LoginSearch>();
  if (!alias_login) {
    auto statement = Bound(connection,
                           "SELECT d.name, a.position, a.record FROM accounts a "
                           "JOIN domains d ON d.ordinal = a.domain "
                           "WHERE a.mailbox_lower = ? AND a.type = 0 "
                           "ORDER BY d.ordinal, a.position",
                           {lower});
    if (!statement.ok()) return statement.status();
    TARVELIN_RETURN_IF_ERROR(AddCandidates(**statement, *search));
  } else {
    const size_t at = lower.find('@');
    std::string domain;
    if (at != std::string::npos) {
      domain = Trim(std::string_view(lower).substr(at + 1));
    } else {
      auto first = FirstBytes(connection, "SELECT name FROM domains ORDER BY ordinal LIMIT 1", {});
      if (!first.ok()) return first.status();
      domain = first->value_or("");
    }
    auto ordinal = FirstInt(connection, "SELECT ordinal FROM domains WHERE name = ?", {domain});
    if (!ordinal.ok()) return ordinal.status();
    if (!ordinal->has_value()) return std::unique_ptr<LoginSearch>();
    const std::string alias = Trim(std::string_view(lower).substr(0, at));
    if (alias.empty()) return std::unique_ptr<LoginSearch>();
    auto statement = Bound(connection,
                           "SELECT d.name, a.position, a.record FROM accounts a "
                           "JOIN domains d ON d.ordinal = a.domain "
                           "WHERE a.domain = ? AND a.id IN (SELECT account_id FROM "
                           "account_aliases WHERE domain = ? AND alias_lower = ?) "
                           "ORDER BY a.position",
                           {**ordinal, **ordinal, alias});
    if (!statement.ok()) return statement.status();
    TARVELIN_RETURN_IF_ERROR(AddCandidates(**statement, *search));
  }
  if (search->candidates.empty()) return std::unique_ptr<LoginSearch>();
  return search;
}

void KeepLoginSearch(LoginSearch* search) { LiveSearches().insert(search); }

LoginSearch* LoginSearchOf(void* handle) {
  auto* search = static_cast<LoginSearch*>(handle);
  return LiveSearches().count(search) != 0 ? search : nullptr;
}

void FreeLoginSearch(void* handle) {
  LoginSearch* search = LoginSearchOf(handle);
  LiveSearches().erase(search);
  delete search;
}

}  // namespace tarvelin::backend
