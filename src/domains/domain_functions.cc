#include "domains/domain_functions.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "foundation/text.h"
#include "frame/api_result.h"
#include "frame/library.h"

namespace tarvelin {

namespace {

constexpr size_t kNameArgumentMax = 255;

int32_t PutZeroFilled(const std::string& text, void* buffer, int32_t size) {
  if (size < static_cast<int32_t>(text.size())) return kResultBufferTooSmall;
  if (size > 0) {
    if (buffer == nullptr) return kResultBufferTooSmall;
    std::memset(buffer, 0, static_cast<size_t>(size));
    std::memcpy(buffer, text.data(), text.size());
  }
  return static_cast<int32_t>(text.size());
}

}  // namespace

int32_t GetDomainCount(Library& library) {
  if (!library.api.initialised) return kResultNotInitialised;
  return library.domains.Count();
}

int32_t GetDomainList(Library& library, void* buffer, int32_t size) {
  if (!library.api.initialised) return kResultNotInitialised;
  // Positions past the stored table have empty names: they add one zero
  // byte each, which the zero-filled buffer already holds.
  const DomainList& domains = library.domains;
  const int count = domains.Count();
  const int stored = std::min(count, domains.TableEntries());
  std::string names;
  for (int position = 0; position < stored; ++position) {
    names += domains.NameAt(position);
    names += '\0';
  }
  const int64_t length = static_cast<int64_t>(names.size()) + (count - stored) + 1;
  if (size < length) return kResultBufferTooSmall;
  if (buffer == nullptr) return kResultBufferTooSmall;
  std::memset(buffer, 0, static_cast<size_t>(size));
  std::memcpy(buffer, names.data(), names.size());
  return static_cast<int32_t>(length);
}

int32_t GetDomainName(Library& library, int32_t position, void* buffer, int32_t size) {
  if (!library.api.initialised) return kResultNotInitialised;
  if (position < 0 || position >= library.domains.Count()) return kResultBufferTooSmall;
  return PutZeroFilled(library.domains.NameAt(position), buffer, size);
}

int32_t GetDomainIndex(Library& library, const char* name) {
  if (!library.api.initialised) return kResultNotInitialised;
  return FindDomainIndex(library, name);
}

int32_t FindDomainIndex(const Library& library, const char* name) {
  const std::string text = name == nullptr ? std::string() : CutTo(name, kNameArgumentMax);
  return library.domains.FindPosition(text, /*strict=*/true);
}

}  // namespace tarvelin
