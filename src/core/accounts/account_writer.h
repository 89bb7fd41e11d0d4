// Writing and removing accounts with everything a change of an account
// brings, in this order.
//
// Write: the record goes into users.cfg; the change log gets "created" or
// "updated"; a changed primary alias is carried into every group's member
// file; for a user account the welcome messages (new account, variable 69
// on, flag at offset 1295 clear), the removal of respond.dat (responder
// mode bit 1 clear), active.dat (an inactivity limit and no such file) and
// the layout conversion of its mail folder (MailboxMode turned from 0 to
// another value or back); for a group the groupware service (the old group
// removed first when its alias changed); last the directory mirror
// (variables 214 and 109 on).
//
// Remove: the record leaves users.cfg, with the file of a notification,
// routing or catalog account and the change log "deleted"; then the
// directory mirror, the address leaves every group, and a removed group
// leaves the groupware service and loses its member file.
//
// Follow-ups report nothing; each is done as far as it can be.
#pragma once

#include <string_view>

#include "foundation/status.h"
#include "schema/user_record.h"

namespace tarvelin {

class Context;

// Writes `record` at `*position` (-1: a new account, whose position is
// given back). The store's failure, with nothing else done, when the
// record could not be written.
Status WriteAccount(Context& context, std::string_view domain, const UserRecord& record,
                    int* position, std::string_view actor);

enum class RemoveOutcome {
  kRemoved,
  kNothingThere,  // a position at or beyond the end: nothing changed
};

// Removes the account at `position`; the follow-ups run only for
// kRemoved. `removed` (optional) receives the record. InvalidArgument for
// a negative position, NotFound for a domain without a users.cfg, the
// store's failure when the file was not rewritten.
Result<RemoveOutcome> RemoveAccount(Context& context, std::string_view domain, int position,
                                    std::string_view actor, UserRecord* removed = nullptr);

}  // namespace tarvelin
