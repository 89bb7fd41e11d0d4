// What both directions of a storage migration share: the database's domain
// list, the sample of positions whose records are compared, the compare
// itself, and the switch of the storage mode. Internal to jobs/storage.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/status.h"
#include "schema/user_record.h"

namespace tarvelin {

class BackendLibrary;
class Context;

// The database's list as domains.cfg holds it: 96-byte entries in order.
Result<std::string> DatabaseDomainEntries(const BackendLibrary& backend);
// The names of those entries.
std::vector<std::string> NamesOfEntries(std::string_view entries);

// The positions of a domain's accounts that are compared: the first, every
// 97th and the last.
std::vector<int> SamplePositions(int count);

// The account at `position` of `domain` in the database (the count given
// back), or the library's reason.
Result<int> DatabaseAccount(const BackendLibrary& backend, std::string_view domain, int position,
                            UserRecord* record);

// Corruption naming the domain and position when the two differ.
Status SameAccount(const UserRecord& files, const UserRecord& database, std::string_view domain,
                   int position);

// Sets variable 117 to `mode` (and variable 97 to `connection_text` unless
// null) and saves the configuration, merged with what others saved; tells
// the services to reload. On a failed save the record in memory is set
// back and the save's failure given.
Status SwitchStorageMode(Context& context, uint8_t mode, const std::string* connection_text);

}  // namespace tarvelin
