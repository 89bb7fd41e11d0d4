// The domain list as the exports show it. Every function returns
// kResultNotInitialised before the library is initialised.
#pragma once

#include <cstdint>

namespace tarvelin {

struct Library;

int32_t GetDomainCount(Library& library);
// Each name followed by a zero byte, then a final zero byte; the buffer is
// zero-filled first. The text's length, or kResultBufferTooSmall.
int32_t GetDomainList(Library& library, void* buffer, int32_t size);
// The name without terminator, the buffer zero-filled first; its length,
// or kResultBufferTooSmall for a bad position or a short buffer.
int32_t GetDomainName(Library& library, int32_t position, void* buffer, int32_t size);
// Strict position of the name, or kResultFailed.
int32_t GetDomainIndex(Library& library, const char* name);
// The lookup the exports share: the name cut to 255 characters, lower-cased,
// strict.
int32_t FindDomainIndex(const Library& library, const char* name);

}  // namespace tarvelin
