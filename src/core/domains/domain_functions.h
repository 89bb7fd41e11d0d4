// The domain exports: the list, the records by position, defaults of a
// caller-held record and address bindings. Every function that answers a
// number returns kResultNotInitialised before the library is initialised.
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

int32_t GetDomainCount(Context& context);
// Each name followed by a zero byte, then a final zero byte; the buffer is
// zero-filled first. The text's length, or kResultBufferTooSmall.
int32_t GetDomainList(Context& context, void* buffer, int32_t size);
// The name without terminator, the buffer zero-filled first; its length,
// or kResultBufferTooSmall for a bad position or a short buffer.
int32_t GetDomainName(Context& context, int32_t position, void* buffer, int32_t size);
// Strict position of the name, or kResultFailed.
int32_t GetDomainIndex(Context& context, const char* name);
// The lookup the exports share: the name cut to 255 characters, lower-cased,
// strict.
int32_t FindDomainIndex(const Context& context, const char* name);

// The record of the domain at `position` into the buffer: kDomainRecordSize,
// kResultBufferTooSmall for a bad position or a buffer below the record
// size, kResultFailed when the domain has no readable domain.cfg.
int32_t LoadDomain(Context& context, int32_t position, void* buffer, int32_t size);
// Writes the first kDomainRecordSize bytes of the buffer as the record of
// the domain at `position` and tells the services to reload: 0,
// kResultBufferTooSmall as for LoadDomain, kResultFailed when domain.cfg
// could not be written.
int32_t SaveDomain(Context& context, int32_t position, const void* buffer, int32_t size);
// Adds a domain with the record in the buffer: appends the name (stored
// lower-cased), saves the global configuration, logs the creation, tells
// the services to reload and writes the domain's domain.cfg. 0;
// kResultBufferTooSmall for a buffer below the record size; kResultFailed
// for a name that already resolves (an address counts by its domain), of
// 96 or more characters, empty, invalid, or "." or "..", and when
// domain.cfg cannot be written (the domain then stays in the list).
int32_t AddDomain(Context& context, const char* name, const void* buffer, int32_t size);

// Applies the domain keys of default.ini to the record (kDomainRecordSize
// bytes) and answers true; false, without a change, when `force` is 0 and
// setting 77 is off. Single settings of a record are in domain_settings.h.
bool SetDomainDefaults(Context& context, uint8_t* record, int32_t force);

// The binding of the domain at `position` (its bind.dat line) into the
// zero-filled buffer: its length; kResultBufferTooSmall for a bad position
// or a text longer than the buffer.
int32_t GetDomainIP(Context& context, int32_t position, void* buffer, int32_t size);
// Sets the binding to exactly the first `size` bytes of the buffer (not
// trimmed, cut to 255; empty removes it), saves the global configuration
// and tells the services to reload: 0; kResultBufferTooSmall for a bad
// position; kResultFailed when bind.dat could not be written or removed.
int32_t SetDomainIP(Context& context, int32_t position, const void* buffer, int32_t size);


}  // namespace tarvelin
