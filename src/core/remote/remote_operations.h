// The remote-account operations of the API: the list in remote.cfg by
// position (single settings of a record are in schema/remote_settings.h).
// Every save, add and delete that reaches the store, successful or not,
// ends by telling the POP3 service to reload the list.
//
// Each save and delete holds the list's lock (RemoteStore::Lock) for its
// step. Positions move when another program deletes: a caller that says
// which remote account it loaded at a position (RemoteIdentity of that
// record) has a save or delete there refused, with nothing changed, when
// the position now holds another one.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "foundation/status.h"
#include "schema/remote_record_layout.h"
#include "store/store_lock.h"

namespace tarvelin {

class Context;

inline constexpr int kRemoteReloadService = 1;  // POP3 collects the remote accounts

// The number of remote accounts; 0 when remote.cfg is missing.
int RemoteAccountCount(const Context& context);
// The record at `position` (a zero record for a position outside a
// non-empty list); NotFound when the list is missing or empty.
Result<RemoteAccountRecord> LoadRemoteAccount(const Context& context, int position);
// Which remote account a record is: its server (letter case ignored) and
// its login name there.
std::string RemoteIdentity(const RemoteAccountRecord& record);

// Holds the list for a caller's own step of load, change and save, so that
// a change made on a loaded record loses no one else's. The operations
// below take the lock again inside.
Result<std::unique_ptr<StoreLock>> HoldRemoteAccounts(const Context& context);

// Writes the record at `position` (-1 or the count appends);
// InvalidArgument for another position outside the list, IOError for a
// failed write. With `loaded` (the RemoteIdentity of the record the caller
// loaded there) a replacement goes ahead only while the record at the
// position is that one or the one `record` is; otherwise NotFound,
// nothing written.
Status SaveRemoteAccount(Context& context, int position, const RemoteAccountRecord& record,
                         const std::optional<std::string>& loaded = std::nullopt);
// Removes the record at `position` with its collection state files; later
// records move down. Ok, removing nothing, for a position outside the
// list; IOError when remote.cfg is missing or was not rewritten (it is
// then unchanged and the state files stay). With `loaded`, NotFound,
// nothing removed, unless the record at the position is still that one.
Status DeleteRemoteAccount(Context& context, int position,
                           const std::optional<std::string>& loaded = std::nullopt);

}  // namespace tarvelin
