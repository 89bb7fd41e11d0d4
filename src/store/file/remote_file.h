// remote.cfg, the server-wide list of remote accounts in the configuration
// folder: 1828-byte records one after the other, no header, each scrambled
// on its own (key position 0 at its first byte). The number of remote
// accounts is the size divided by 1828, so a trailing partial record is
// ignored. A missing file is an empty list.
//
// Writers replace the whole file: the new content goes to remote.cfg.tmp,
// which is renamed over remote.cfg, so readers and a crash find the old
// list or the new one. The writers here take no lock: their callers hold
// the installation's cross-process lock of remote.cfg (FileRemoteStore).
#pragma once

#include <string>
#include <string_view>

#include "foundation/status.h"
#include "platform/env.h"
#include "schema/remote_record_layout.h"

namespace tarvelin {

// `config_folder` ends with a separator. Every call goes through `env`.
std::string RemoteFilePath(std::string_view config_folder);

// The number of records; 0 when the file is missing.
int CountRemoteAccounts(Env& env, std::string_view config_folder);

// The record at `position` (unscrambled), or a zero record when the
// position is outside the file; the result is the number of records.
int LoadRemoteAt(Env& env, std::string_view config_folder, int position,
                 RemoteAccountRecord* record);

// Replaces the record at `position`, or appends it when `position` is -1 or
// the number of records (the file is created when missing). A failure,
// with nothing changed, for any other position or a failed call.
Status WriteRemoteAt(Env& env, std::string_view config_folder, const RemoteAccountRecord& record,
                     int position);

// Removes the record at `position` (later records move down one position);
// `removed` receives it unscrambled. NotFound, with the file unchanged,
// for a position outside the file; an IOError, with the file unchanged,
// when it is missing or was not rewritten.
Status RemoveRemoteAt(Env& env, std::string_view config_folder, int position,
                      RemoteAccountRecord* removed);

}  // namespace tarvelin
