// Renaming and deleting domains (core/ops/domain_rename_delete.h) with the
// result numbers of the C API.
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

// The C API's functions on a given Context.
namespace capi {

// 0; -3 for a null or identical pointer; -1 for an invalid new name, one
// already in use by another domain, or an old name that does not resolve.
int32_t RenameDomain(Context& context, const char* old_name, const char* new_name);
// 0, or -3 for a position outside the list.
int32_t DeleteDomain(Context& context, int32_t position);

}  // namespace capi
}  // namespace tarvelin
