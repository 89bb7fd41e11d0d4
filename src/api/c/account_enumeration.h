// The account walks of the API: a walk handle is a UserEnumState of its
// own, started for a domain with an optional query, advanced record by
// record and ended by its owner.
#pragma once

#include <cstdint>
#include <memory>

#include "api/c/user_enum_state.h"

namespace tarvelin {

class Context;

// A walk (flag 0) over the accounts of `domain` (the folder name as given,
// cut to 255 characters) that delivers the records `query` accepts (null or
// empty: all). Null when the library is not initialised or the domain has
// no readable users.cfg.
std::unique_ptr<UserEnumState> InitUsersQuery(const Context& context, const char* domain,
                                              const char* query);

// Copies the walk's next record into `buffer`: true. False at the end, and
// when `size` is below 2848 (the record is consumed all the same). A
// mailing list whose list-server flag is set comes out as type 6, in the
// handle as well.
bool NextUser(const Context& context, UserEnumState* state, void* buffer, int32_t size);

// Ends the walk and frees its state.
void DoneUsers(const Context& context, std::unique_ptr<UserEnumState> state);

}  // namespace tarvelin
