#include "backend/account_table.h"

#include <algorithm>
#include <vector>

#include "backend/account_columns.h"
#include "backend/domain_table.h"
#include "backend/sql_calls.h"
#include "foundation/list_match.h"
#include "foundation/text.h"

namespace tarvelin::backend {
namespace {

// The domain's ordinal, or nullopt for a domain the database does not know.
Result<std::optional<int64_t>> KnownDomain(SqlConnection& connection, std::string_view domain) {
  return FirstInt(connection, "SELECT ordinal FROM domains WHERE name = ?",
                  {ToLower(Trim(domain))});
}

// Positions run 0 .. count-1 without gaps, so the highest one answers
// through the (domain, position) index instead of a count of the domain.
Result<int64_t> CountIn(SqlConnection& connection, int64_t ordinal) {
  auto count = FirstInt(connection,
                        "SELECT coalesce(max(position) + 1, 0) FROM accounts WHERE domain = ?",
                        {ordinal});
  if (!count.ok()) return count.status();
  return count->value_or(0);
}

// The first account of the domain, by position, holding one of `items`:
// one indexed query per item, the domain found by name in the same query.
// Without `with_record` only the position is read.
Result<std::optional<FoundAccount>> FirstWithAlias(SqlConnection& connection,
                                                   std::string_view domain,
                                                   const std::vector<std::string>& items,
                                                   bool with_record) {
  const std::string lower = ToLower(Trim(domain));
  std::optional<FoundAccount> best;
  for (const std::string& item : items) {
    auto statement = Bound(connection,
                           with_record ? "SELECT a.position, a.record FROM domains d "
                                         "JOIN account_aliases al ON al.domain = d.ordinal "
                                         "JOIN accounts a ON a.id = al.account_id "
                                         "WHERE d.name = ? AND al.alias_lower = ? "
                                         "ORDER BY a.position LIMIT 1"
                                       : "SELECT a.position FROM domains d "
                                         "JOIN account_aliases al ON al.domain = d.ordinal "
                                         "JOIN accounts a ON a.id = al.account_id "
                                         "WHERE d.name = ? AND al.alias_lower = ? "
                                         "ORDER BY a.position LIMIT 1",
                           {lower, item});
    if (!statement.ok()) return statement.status();
    auto row = (*statement)->Step();
    if (!row.ok()) return row.status();
    if (*row) {
      const auto position = static_cast<int32_t>((*statement)->ColumnInt(0));
      if (!best || position < best->position) {
        best = FoundAccount{with_record ? RecordFromBytes((*statement)->ColumnBytes(1))
                                        : UserRecord{},
                            "", position};
      }
    }
    (*statement)->Reset();
  }
  return best;
}

Status AddAliasRows(SqlConnection& connection, int64_t account_id, int64_t ordinal,
                    const std::vector<std::string>& aliases) {
  for (const std::string& alias : aliases) {
    TARVELIN_RETURN_IF_ERROR(
        Run(connection,
            "INSERT INTO account_aliases (account_id, domain, alias_lower) VALUES (?, ?, ?)",
            {account_id, ordinal, alias})
            .status());
  }
  return Status::Ok();
}

}  // namespace

UserRecord RecordFromBytes(std::string_view bytes) {
  UserRecord record{};
  std::copy_n(bytes.data(), std::min(bytes.size(), record.size()), record.data());
  return record;
}

Result<int32_t> CountAccounts(SqlConnection& connection, std::string_view domain) {
  auto ordinal = KnownDomain(connection, domain);
  if (!ordinal.ok()) return ordinal.status();
  if (!ordinal->has_value()) return 0;
  auto count = CountIn(connection, **ordinal);
  if (!count.ok()) return count.status();
  return static_cast<int32_t>(*count);
}

Result<std::optional<UserRecord>> AccountAt(SqlConnection& connection, std::string_view domain,
                                            int32_t position) {
  auto bytes = FirstBytes(connection,
                          "SELECT a.record FROM accounts a JOIN domains d ON d.ordinal = a.domain "
                          "WHERE d.name = ? AND a.position = ?",
                          {ToLower(Trim(domain)), int64_t{position}});
  if (!bytes.ok()) return bytes.status();
  if (!bytes->has_value()) return std::optional<UserRecord>();
  return std::optional<UserRecord>(RecordFromBytes(**bytes));
}

Result<int32_t> PositionOfAlias(SqlConnection& connection, std::string_view domain,
                                std::string_view alias) {
  auto found = FirstWithAlias(connection, domain, ListItems(alias), false);
  if (!found.ok()) return found.status();
  return found->has_value() ? (*found)->position : -1;
}

Status SaveAccount(SqlConnection& connection, std::string_view domain, const UserRecord& record,
                   int32_t* position) {
  const AccountColumns columns = ColumnsOf(record);
  if (columns.aliases.empty()) {
    return Status::InvalidArgument("an account needs at least one alias");
  }
  auto ordinal = DomainOrdinal(connection, domain);
  if (!ordinal.ok()) return ordinal.status();
  Transaction transaction(connection);
  TARVELIN_RETURN_IF_ERROR(BeginDomainWrite(transaction, connection, *ordinal));
  auto count = CountIn(connection, *ordinal);
  if (!count.ok()) return count.status();
  const std::string_view bytes(reinterpret_cast<const char*>(record.data()), record.size());
  int64_t at = *position;
  const bool adding = at == -1 || at == *count;
  Result<std::optional<int64_t>> id = std::optional<int64_t>();
  if (adding) {
    at = *count;
    id = FirstInt(connection,
                  "INSERT INTO accounts (domain, position, type, mailbox_lower, "
                  "full_name, record) VALUES (?, ?, ?, ?, ?, ?) RETURNING id",
                  {*ordinal, at, columns.type, columns.mailbox_lower, columns.full_name, bytes});
  } else if (at >= 0 && at < *count) {
    id = FirstInt(connection,
                  "UPDATE accounts SET type = ?, mailbox_lower = ?, full_name = ?, "
                  "record = ? WHERE domain = ? AND position = ? RETURNING id",
                  {columns.type, columns.mailbox_lower, columns.full_name, bytes, *ordinal, at});
  } else {
    return Status::InvalidArgument("position " + std::to_string(at) +
                                   " is past the end of domain '" + ToLower(Trim(domain)) + "' (" +
                                   std::to_string(*count) + " accounts)");
  }
  if (!id.ok()) return id.status();
  if (!id->has_value()) return Status::Corruption("the account just written is not there");
  // A new account has no alias rows yet.
  if (!adding) {
    TARVELIN_RETURN_IF_ERROR(
        Run(connection, "DELETE FROM account_aliases WHERE account_id = ?", {**id}).status());
  }
  TARVELIN_RETURN_IF_ERROR(AddAliasRows(connection, **id, *ordinal, columns.aliases));
  TARVELIN_RETURN_IF_ERROR(transaction.Commit());
  *position = static_cast<int32_t>(at);
  return Status::Ok();
}

Status RemoveAccount(SqlConnection& connection, std::string_view domain, int32_t position) {
  auto ordinal = DomainOrdinal(connection, domain);
  if (!ordinal.ok()) return ordinal.status();
  Transaction transaction(connection);
  TARVELIN_RETURN_IF_ERROR(BeginDomainWrite(transaction, connection, *ordinal));
  // The alias rows go with the account (ON DELETE CASCADE).
  auto removed = Run(connection, "DELETE FROM accounts WHERE domain = ? AND position = ?",
                     {*ordinal, int64_t{position}});
  if (!removed.ok()) return removed.status();
  if (*removed == 0) {
    return Status::NotFound("no account at position " + std::to_string(position) + " of domain '" +
                            ToLower(Trim(domain)) + "'");
  }
  // Later accounts move down one. Through negative positions, so that the
  // unique (domain, position) holds after every single row on both engines.
  TARVELIN_RETURN_IF_ERROR(Run(connection,
                               "UPDATE accounts SET position = -position - 1 "
                               "WHERE domain = ? AND position > ?",
                               {*ordinal, int64_t{position}})
                               .status());
  TARVELIN_RETURN_IF_ERROR(Run(connection,
                               "UPDATE accounts SET position = -position - 2 "
                               "WHERE domain = ? AND position < 0",
                               {*ordinal})
                               .status());
  return transaction.Commit();
}

Result<FoundAccount> LocalAccount(SqlConnection& connection, std::string_view address) {
  const size_t at = address.find('@');
  if (at == std::string_view::npos) {
    return Status::InvalidArgument("'" + std::string(address) + "' is not local@domain");
  }
  const std::string domain = ToLower(Trim(address.substr(at + 1)));
  const std::string not_found =
      "no account '" + Trim(address.substr(0, at)) + "' in domain '" + domain + "'";
  auto found = FirstWithAlias(connection, domain, ListItems(address.substr(0, at)), true);
  if (!found.ok()) return found.status();
  if (!found->has_value()) return Status::NotFound(not_found);
  (*found)->domain = domain;
  return std::move(**found);
}

Result<FoundAccount> AccountByFullName(SqlConnection& connection, std::string_view text) {
  const bool sqlite = connection.dialect() == Dialect::kSqlite;
  auto statement = Bound(connection,
                         sqlite ? "SELECT d.name, a.position, a.record FROM accounts a "
                                  "JOIN domains d ON d.ordinal = a.domain "
                                  "WHERE instr(a.full_name, ?) > 0 "
                                  "ORDER BY d.ordinal, a.position LIMIT 1"
                                : "SELECT d.name, a.position, a.record FROM accounts a "
                                  "JOIN domains d ON d.ordinal = a.domain "
                                  "WHERE position(? in a.full_name) > 0 "
                                  "ORDER BY d.ordinal, a.position LIMIT 1",
                         {text});
  if (!statement.ok()) return statement.status();
  auto row = (*statement)->Step();
  if (!row.ok()) return row.status();
  if (!*row) return Status::NotFound("no account's name holds '" + std::string(text) + "'");
  FoundAccount found{RecordFromBytes((*statement)->ColumnBytes(2)),
                     std::string((*statement)->ColumnBytes(0)),
                     static_cast<int32_t>((*statement)->ColumnInt(1))};
  (*statement)->Reset();
  return found;
}

Result<bool> AliasesFree(SqlConnection& connection, std::string_view domain,
                         std::string_view aliases) {
  auto ordinal = KnownDomain(connection, domain);
  if (!ordinal.ok()) return ordinal.status();
  if (!ordinal->has_value()) return true;
  for (const std::string& item : ListItems(aliases)) {
    auto used = FirstInt(connection,
                         "SELECT account_id FROM account_aliases "
                         "WHERE domain = ? AND alias_lower = ? LIMIT 1",
                         {**ordinal, item});
    if (!used.ok()) return used.status();
    if (used->has_value()) return false;
  }
  return true;
}

Result<bool> MailboxConflict(SqlConnection& connection, std::string_view mailbox,
                             std::string_view password, std::string_view aliases,
                             std::string_view domain, bool binding) {
  auto own = KnownDomain(connection, domain);
  if (!own.ok()) return own.status();
  std::string bound;
  if (binding && own->has_value()) {
    auto text = FirstBytes(connection, "SELECT binding FROM domains WHERE ordinal = ?", {**own});
    if (!text.ok()) return text.status();
    bound = text->value_or("");
  }
  auto statement = Bound(connection,
                         "SELECT a.domain, d.binding, a.record FROM accounts a "
                         "JOIN domains d ON d.ordinal = a.domain "
                         "WHERE a.mailbox_lower = ? AND a.type = 0 "
                         "ORDER BY d.ordinal, a.position",
                         {ToLower(mailbox)});
  if (!statement.ok()) return statement.status();
  for (;;) {
    auto row = (*statement)->Step();
    if (!row.ok()) return row.status();
    if (!*row) return false;
    if (!bound.empty() && !ListMatch((*statement)->ColumnBytes(1), bound)) continue;
    const UserRecord record = RecordFromBytes((*statement)->ColumnBytes(2));
    if (PasswordOf(record) != password) continue;
    const bool same_domain = own->has_value() && (*statement)->ColumnInt(0) == **own;
    if (!same_domain || !ListMatch(aliases, AliasListOf(record))) {
      (*statement)->Reset();
      return true;
    }
  }
}

}  // namespace tarvelin::backend
