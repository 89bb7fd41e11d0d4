// remote.cfg, the server-wide list of remote accounts in the configuration
// folder: 1828-byte records one after the other, no header, each scrambled
// on its own (key position 0 at its first byte). The number of remote
// accounts is the size divided by 1828, so a trailing partial record is
// ignored. A missing file is an empty list.
//
// Writers replace the whole file: the new content goes to remote.cfg.tmp,
// which is renamed over remote.cfg, so readers and a crash find the old
// list or the new one. Writers take a lock on the configuration folder
// that excludes writers of other threads and processes.
#pragma once

#include <string>
#include <string_view>

#include "schema/remote_record_layout.h"

namespace tarvelin {

// `config_folder` ends with a separator.
std::string RemoteFilePath(std::string_view config_folder);

// The number of records; 0 when the file is missing.
int CountRemoteAccounts(std::string_view config_folder);

// The record at `position` (unscrambled), or a zero record when the
// position is outside the file; the result is the number of records.
int LoadRemoteAt(std::string_view config_folder, int position, RemoteAccountRecord* record);

// Replaces the record at `position`, or appends it when `position` is -1 or
// the number of records (the file is created when missing). False, with
// nothing changed, for any other position or a failed write.
bool WriteRemoteAt(std::string_view config_folder, const RemoteAccountRecord& record, int position);

enum class RemoteRemoval {
  kRemoved,       // later records moved down one position
  kNoSuchRecord,  // the position is outside the file, which is unchanged
  kFailed,        // the file is missing or was not rewritten; it is unchanged
};
// Removes the record at `position`; `removed` receives it unscrambled.
RemoteRemoval RemoveRemoteAt(std::string_view config_folder, int position,
                             RemoteAccountRecord* removed);

}  // namespace tarvelin
