#include "backend/domain_table.h"

#include <algorithm>
#include <cstring>

#include "backend/sql_calls.h"
#include "foundation/bytes.h"
#include "foundation/text.h"

namespace tarvelin::backend {
namespace {

Result<std::string> ValidName(std::string_view name) {
  std::string lower = ToLower(Trim(name));
  if (lower.empty()) return Status::InvalidArgument("a domain name must not be empty");
  if (lower.size() > kDomainNameMax) {
    return Status::InvalidArgument("domain name '" + lower + "' is longer than " +
                                   std::to_string(kDomainNameMax) + " characters");
  }
  return lower;
}

Status UnknownDomain(std::string_view name) {
  return Status::NotFound("no domain '" + ToLower(name) + "' in the database");
}

}  // namespace

Result<int64_t> DomainOrdinal(SqlConnection& connection, std::string_view name) {
  const std::string lower = ToLower(Trim(name));
  auto ordinal = FirstInt(connection, "SELECT ordinal FROM domains WHERE name = ?", {lower});
  if (!ordinal.ok()) return ordinal.status();
  if (!ordinal->has_value()) return UnknownDomain(lower);
  return **ordinal;
}

Result<std::vector<DomainRow>> ListDomains(SqlConnection& connection) {
  auto statement =
      Bound(connection, "SELECT ordinal, name, binding FROM domains ORDER BY ordinal", {});
  if (!statement.ok()) return statement.status();
  std::vector<DomainRow> rows;
  for (;;) {
    auto row = (*statement)->Step();
    if (!row.ok()) return row.status();
    if (!*row) break;
    rows.push_back({(*statement)->ColumnInt(0), std::string((*statement)->ColumnBytes(1)),
                    std::string((*statement)->ColumnBytes(2))});
  }
  return rows;
}

Result<int32_t> CountDomains(SqlConnection& connection) {
  auto count = FirstInt(connection, "SELECT count(*) FROM domains", {});
  if (!count.ok()) return count.status();
  return static_cast<int32_t>(count->value_or(0));
}

void FillDomainEntry(const DomainRow& row, uint8_t* entry) {
  std::memset(entry, 0, kDomainEntrySize);
  PutPString(entry, kDomainNameMax, row.name);
  if (row.name.size() < kDomainNameMax) entry[kDomainEntrySize - 1] = row.binding.empty() ? 0 : 1;
}

Result<std::string> DomainRecord(SqlConnection& connection, std::string_view name) {
  const std::string lower = ToLower(Trim(name));
  auto statement = Bound(connection, "SELECT record FROM domains WHERE name = ?", {lower});
  if (!statement.ok()) return statement.status();
  auto row = (*statement)->Step();
  if (!row.ok()) return row.status();
  if (!*row) return UnknownDomain(lower);
  if ((*statement)->ColumnIsNull(0)) {
    (*statement)->Reset();
    return Status::NotFound("domain '" + lower + "' has no record saved");
  }
  std::string record((*statement)->ColumnBytes(0));
  (*statement)->Reset();
  record.resize(kDomainRecordSize, '\0');
  return record;
}

Status SaveDomainRecord(SqlConnection& connection, std::string_view name, std::string_view record) {
  auto changed = Run(connection, "UPDATE domains SET record = ? WHERE name = ?",
                     {record, ToLower(Trim(name))});
  if (!changed.ok()) return changed.status();
  return *changed == 0 ? UnknownDomain(Trim(name)) : Status::Ok();
}

Status AddDomain(SqlConnection& connection, std::string_view name) {
  auto lower = ValidName(name);
  if (!lower.ok()) return lower.status();
  Transaction transaction(connection);
  TARVELIN_RETURN_IF_ERROR(transaction.Begin(true));
  auto known = FirstInt(connection, "SELECT ordinal FROM domains WHERE name = ?", {*lower});
  if (!known.ok()) return known.status();
  if (known->has_value()) return Status::Ok();
  TARVELIN_RETURN_IF_ERROR(
      Run(connection, "INSERT INTO domains (name, binding) VALUES (?, ?)", {*lower, ""}).status());
  return transaction.Commit();
}

Status DeleteDomain(SqlConnection& connection, std::string_view name) {
  // The accounts and their aliases go with the row (ON DELETE CASCADE).
  auto changed = Run(connection, "DELETE FROM domains WHERE name = ?", {ToLower(Trim(name))});
  if (!changed.ok()) return changed.status();
  return *changed == 0 ? UnknownDomain(Trim(name)) : Status::Ok();
}

Status RenameDomain(SqlConnection& connection, std::string_view old_name,
                    std::string_view new_name) {
  auto lower = ValidName(new_name);
  if (!lower.ok()) return lower.status();
  const std::string old_lower = ToLower(Trim(old_name));
  Transaction transaction(connection);
  TARVELIN_RETURN_IF_ERROR(transaction.Begin(true));
  auto old_ordinal = DomainOrdinal(connection, old_lower);
  if (!old_ordinal.ok()) return old_ordinal.status();
  auto taken = FirstInt(connection, "SELECT ordinal FROM domains WHERE name = ?", {*lower});
  if (!taken.ok()) return taken.status();
  if (taken->has_value() && **taken != *old_ordinal) {
    return Status::AlreadyExists("domain '" + *lower + "' exists already");
  }
  // The accounts hold the ordinal, so they follow without being touched.
  TARVELIN_RETURN_IF_ERROR(
      Run(connection, "UPDATE domains SET name = ? WHERE ordinal = ?", {*lower, *old_ordinal})
          .status());
  return transaction.Commit();
}

Status SetDomainBinding(SqlConnection& connection, std::string_view name,
                        std::string_view addresses) {
  auto changed = Run(connection, "UPDATE domains SET binding = ? WHERE name = ?",
                     {Trim(addresses), ToLower(Trim(name))});
  if (!changed.ok()) return changed.status();
  return *changed == 0 ? UnknownDomain(Trim(name)) : Status::Ok();
}

}  // namespace tarvelin::backend
