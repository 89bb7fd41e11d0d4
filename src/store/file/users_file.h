// users.cfg, the account file of one domain: 2848-byte records one after the
// other, no header; the number of accounts is the size divided by 2848, so
// a trailing partial record is ignored. A missing file is an empty domain.
//
// Writers replace the whole file: the new content goes to users.cfg.tmp,
// which is renamed over users.cfg, so readers and a crash find the old file
// or the new one and every version gets a new file stamp. A new record is
// the exception: it is appended in place (record_append.h), which readers,
// counting whole records only, see as done or not done. The writers here
// take no lock: their callers hold the domain's cross-process lock
// (FileAccountStore), so no two rebuilds overwrite each other's change.
// That lock, not lock 0, covers the copy: lookups, which take lock 0 to
// decipher a password, never wait for a large file to be rewritten.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/status.h"
#include "platform/env.h"
#include "schema/user_record.h"

namespace tarvelin {

// `folder` is the domain's configuration folder, ending with a separator.
// Every call goes through `env`.
std::string UsersFilePath(std::string_view folder);

// The number of records; 0 when the file is missing.
int CountUsers(Env& env, std::string_view folder);

// The record at `position` (unscrambled, password deciphered), or a zero
// record when the position is outside the file; the result is the number
// of records.
int LoadUserAt(Env& env, std::string_view folder, int position, UserRecord* record);

// Replaces the record at `position`, or appends it when `position` is -1 or
// the number of records (and gives the new position back). The folder and
// the file are created when missing. `encipher` is configuration variable
// 205. A failure, with nothing changed, for a record without an alias, a
// position beyond the end, a password that cannot be stored, or a failed
// call (whose status names the file).
struct UsersFileAppend {
  bool done = false;  // the record was appended in place
  FileStamp before;   // the stamps of the file around the append
  FileStamp after;
};
Status WriteUserAt(Env& env, std::string_view folder, const UserRecord& record, int* position,
                   bool encipher, UsersFileAppend* append = nullptr);

// Removes the record at `position`; later records move down one position.
// `removed` receives it unscrambled with its password as stored. A failure,
// with nothing changed, for a position outside the file or a failed call.
// `groups`, when given, receives the group accounts (type 7) of the new
// file in file order, as the copy met them (saves their finders a pass).
Status RemoveUserAt(Env& env, std::string_view folder, int position, UserRecord* removed,
                    std::vector<UserRecord>* groups = nullptr);

}  // namespace tarvelin
