// The domain exports as functions on a given Context: the operations of
// core/domains/domain_operations.h and core/ops/domain_rename_delete.h with
// caller buffers and the result numbers of the C API. A position outside
// the list gives -3.
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

namespace capi {

int32_t GetDomainCount(Context& context);
// Each name followed by a zero byte, then a final zero byte; the buffer is
// zero-filled first. The text's length, or -3.
int32_t GetDomainList(Context& context, void* buffer, int32_t size);
// The name without terminator, the buffer zero-filled first; its length,
// or -3 for a bad position or a short buffer.
int32_t GetDomainName(Context& context, int32_t position, void* buffer, int32_t size);
// The strict position of the name (cut to 255 characters), or -1.
int32_t GetDomainIndex(Context& context, const char* name);

// kDomainRecordSize; -3 for a bad position or a buffer below the record
// size; -1 when the domain has no readable domain.cfg.
int32_t LoadDomain(Context& context, int32_t position, void* buffer, int32_t size);
// 0; -3 as for LoadDomain; -1 when domain.cfg could not be written.
int32_t SaveDomain(Context& context, int32_t position, const void* buffer, int32_t size);
// 0; -3 for a buffer below the record size; -1 for a name that is taken,
// too long, empty or invalid, and when domain.cfg cannot be written.
int32_t AddDomain(Context& context, const char* name, const void* buffer, int32_t size);

// The binding into the zero-filled buffer: its length; -3 for a bad
// position or a text longer than the buffer.
int32_t GetDomainIP(Context& context, int32_t position, void* buffer, int32_t size);
// Exactly the first `size` bytes of the buffer become the binding: 0; -3
// for a bad position; -1 when it could not be stored.
int32_t SetDomainIP(Context& context, int32_t position, const void* buffer, int32_t size);

// 0; -3 for a null or identical pointer; -1 for an invalid new name, one
// already in use by another domain, or an old name that does not resolve.
int32_t RenameDomain(Context& context, const char* old_name, const char* new_name);
// 0, or -3 for a position outside the list.
int32_t DeleteDomain(Context& context, int32_t position);

}  // namespace capi
}  // namespace tarvelin
