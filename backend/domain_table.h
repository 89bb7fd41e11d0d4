// The domains of the current database, in list order (the order they were
// added in). Names are kept lower-cased, as the administration library's
// list keeps them, and compared without regard to case; a name has 1 to 95
// characters, what a DomainEntry holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/sql_connection.h"
#include "foundation/status.h"

namespace tarvelin::backend {

inline constexpr int kDomainEntrySize = 96;
inline constexpr int kDomainRecordSize = 1169;
inline constexpr int kDomainNameMax = 95;

struct DomainRow {
  int64_t ordinal = 0;
  std::string name;
  std::string binding;
};

// The domain's ordinal (the accounts' key), or NotFound naming the domain.
Result<int64_t> DomainOrdinal(SqlConnection& connection, std::string_view name);
Result<std::vector<DomainRow>> ListDomains(SqlConnection& connection);
Result<int32_t> CountDomains(SqlConnection& connection);

// A DomainEntry image: the name as a text of capacity 95 at 0, the binding
// flag at 95 (a name of 95 characters fills the entry and leaves no room
// for the flag, as in domains.cfg).
void FillDomainEntry(const DomainRow& row, uint8_t* entry);

// The saved record; NotFound when the domain is unknown or has none.
Result<std::string> DomainRecord(SqlConnection& connection, std::string_view name);
Status SaveDomainRecord(SqlConnection& connection, std::string_view name, std::string_view record);
// At the end of the list; nothing when the name is there already.
Status AddDomain(SqlConnection& connection, std::string_view name);
// With its record and its accounts.
Status DeleteDomain(SqlConnection& connection, std::string_view name);
// The record and the accounts follow; the old name must be known and the
// new one free.
Status RenameDomain(SqlConnection& connection, std::string_view old_name,
                    std::string_view new_name);
Status SetDomainBinding(SqlConnection& connection, std::string_view name,
                        std::string_view addresses);

}  // namespace tarvelin::backend
