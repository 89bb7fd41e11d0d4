#include "core/domains/domain_functions.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/config/config_save.h"
#include "core/domains/domain_defaults.h"
#include "schema/domain_record_layout.h"
#include "schema/domain_settings.h"
#include "core/domains/domain_records.h"
#include "foundation/text.h"
#include "api/c/api_result.h"
#include "core/context.h"
#include "core/logging.h"

namespace tarvelin {

namespace {

constexpr size_t kNameArgumentMax = 255;
constexpr size_t kBindingMax = 255;
constexpr int kNewDomainsGetDefaultsOffset = 1543;  // setting 77

bool ValidPosition(const Context& context, int32_t position) {
  return position >= 0 && position < context.domains().Count();
}

bool RecordFits(const void* record, int32_t size) {
  return record != nullptr && size >= kDomainRecordSize;
}

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

int32_t GetDomainCount(Context& context) {
  if (!context.api.initialised) return kResultNotInitialised;
  return context.domains().Count();
}

int32_t GetDomainList(Context& context, void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  // Positions past the stored table have empty names: they add one zero
  // byte each, which the zero-filled buffer already holds.
  const DomainStore& domains = context.domains();
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

int32_t GetDomainName(Context& context, int32_t position, void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (position < 0 || position >= context.domains().Count()) return kResultBufferTooSmall;
  return PutZeroFilled(context.domains().NameAt(position), buffer, size);
}

int32_t GetDomainIndex(Context& context, const char* name) {
  if (!context.api.initialised) return kResultNotInitialised;
  return FindDomainIndex(context, name);
}

int32_t FindDomainIndex(const Context& context, const char* name) {
  const std::string text = name == nullptr ? std::string() : CutTo(name, kNameArgumentMax);
  return context.domains().FindPosition(text, /*strict=*/true);
}

int32_t LoadDomain(Context& context, int32_t position, void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (!ValidPosition(context, position) || !RecordFits(buffer, size)) return kResultBufferTooSmall;
  DomainRecord record;
  if (!LoadDomainRecordAt(context, position, &record)) return kResultFailed;
  std::memcpy(buffer, record.data(), record.size());
  return kDomainRecordSize;
}

int32_t SaveDomain(Context& context, int32_t position, const void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (!ValidPosition(context, position) || !RecordFits(buffer, size)) return kResultBufferTooSmall;
  DomainRecord record;
  std::memcpy(record.data(), buffer, record.size());
  if (!SaveDomainRecord(context, position, record, /*is_new=*/false, "")) return kResultFailed;
  UpdateConfiguration(context.Channel());
  return 0;
}

int32_t AddDomain(Context& context, const char* name, const void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  const std::string text = name == nullptr ? std::string() : CutTo(name, kNameArgumentMax);
  DomainStore& domains = context.domains();
  const bool too_long = text.size() > static_cast<size_t>(kDomainNameMax);
  if (too_long || domains.Exists(text)) return kResultFailed;
  DomainRecord record;
  std::memcpy(record.data(), buffer, record.size());
  // "." and ".." pass the character rule but would make the domain's
  // folder the configuration directory or its parent.
  if (!DomainStore::ValidName(text) || !DomainStore::IsFolderName(text)) return kResultFailed;

  domains.Append(text);
  SaveConfig(context);
  const int position = domains.Count() - 1;
  const std::string stored = domains.NameAt(position);
  LogChange(context, "", "created", stored, /*is_new=*/true);
  UpdateConfiguration(context.Channel());
  return SaveDomainRecord(context, position, record, /*is_new=*/true, "") ? 0 : kResultFailed;
}

int32_t GetDomainSetting(Context& context, const void* record, int32_t record_size, int32_t id,
                         void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (!RecordFits(record, record_size)) return kResultBufferTooSmall;
  return GetDomainField(static_cast<const uint8_t*>(record), id, buffer, size);
}

int32_t SetDomainSetting(Context& context, void* record, int32_t record_size, int32_t id,
                         const void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (!RecordFits(record, record_size)) return kResultBufferTooSmall;
  return SetDomainField(static_cast<uint8_t*>(record), id, buffer, size);
}

int32_t SetDomainDefaults(Context& context, void* record, int32_t record_size, int32_t force) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (!RecordFits(record, record_size)) return kResultBufferTooSmall;
  if (force == 0 && context.config.record.Byte(kNewDomainsGetDefaultsOffset) == 0) return 0;
  ApplyDomainDefaultsFile(context.env(), context.api.config_path, static_cast<uint8_t*>(record));
  return kDomainRecordSize;
}

int32_t GetDomainIP(Context& context, int32_t position, void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (!ValidPosition(context, position)) return kResultBufferTooSmall;
  return PutZeroFilled(context.domains().GetBinding(position), buffer, size);
}

int32_t SetDomainIP(Context& context, int32_t position, const void* buffer, int32_t size) {
  if (!context.api.initialised) return kResultNotInitialised;
  if (!ValidPosition(context, position)) return kResultBufferTooSmall;
  std::string text;
  if (buffer != nullptr && size > 0) {
    text.assign(static_cast<const char*>(buffer), std::min<size_t>(size, kBindingMax));
  }
  if (!context.domains().SetBinding(position, text)) return kResultFailed;
  SaveConfig(context);
  UpdateConfiguration(context.Channel());
  return 0;
}

}  // namespace tarvelin
