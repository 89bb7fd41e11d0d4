// The remote-account operations of the API: the list in remote.cfg by
// position (single settings of a record are in schema/remote_settings.h).
// Every save, add and delete that reaches the store, successful or not,
// ends by telling the POP3 service to reload the list.
#pragma once

#include "foundation/status.h"
#include "schema/remote_record_layout.h"

namespace tarvelin {

class Context;

inline constexpr int kRemoteReloadService = 1;  // POP3 collects the remote accounts

// The number of remote accounts; 0 when remote.cfg is missing.
int RemoteAccountCount(const Context& context);
// The record at `position` (a zero record for a position outside a
// non-empty list); NotFound when the list is missing or empty.
Result<RemoteAccountRecord> LoadRemoteAccount(const Context& context, int position);
// Writes the record at `position` (-1 or the count appends);
// InvalidArgument for another position outside the list, IOError for a
// failed write.
Status SaveRemoteAccount(Context& context, int position, const RemoteAccountRecord& record);
// Removes the record at `position` with its collection state files; later
// records move down. Ok, removing nothing, for a position outside the
// list; IOError when remote.cfg is missing or was not rewritten (it is
// then unchanged and the state files stay).
Status DeleteRemoteAccount(Context& context, int position);

}  // namespace tarvelin
