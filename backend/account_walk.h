// Walks over one domain's accounts on the caller's UserEnumState (3552
// bytes): the record at 0, the open flag at 2848, the cursor's pointer in
// the file area at 2852, the index at 3184 (-1 before the first), the
// number of accounts when the walk began at 3188, the domain at 3196; the
// caller sets the walk flag (3292) and the query (3293) before the start.
//
// Accounts are read a page at a time by position, so a walk over a
// million accounts never holds them all. Removals while a walk runs make
// it skip nobody: the next page starts after the last account read,
// wherever removals have moved it. (An account removed after its page was
// read is still delivered, as a reader of users.cfg still reads the
// version it opened.)
#pragma once

#include <cstdint>
#include <string_view>

#include "backend/sql_connection.h"
#include "foundation/status.h"

namespace tarvelin::backend {

inline constexpr int kUserEnumStateSize = 3552;

// Starts the walk: the first `skip` accounts (by position) are passed over
// and at most `count` of the accounts the query accepts are delivered (a
// negative count: all). NotFound for a domain the database does not know.
Status StartWalk(SqlConnection& connection, std::string_view domain, uint8_t* state, int32_t count,
                 int32_t skip);
// The next account the query accepts into the state; false at the end.
Result<bool> NextInWalk(SqlConnection& connection, uint8_t* state);
// Frees the cursor and clears the open flag; nothing for a state without
// a cursor.
void EndWalk(uint8_t* state);

}  // namespace tarvelin::backend
