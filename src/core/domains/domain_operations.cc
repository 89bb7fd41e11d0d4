#include "core/domains/domain_operations.h"

#include <algorithm>
#include <string>

#include "core/config/config_merge.h"
#include "core/config/config_save.h"
#include "core/context.h"
#include "core/domains/domain_defaults.h"
#include "core/domains/domain_records.h"
#include "core/logging.h"
#include "foundation/text.h"
#include "store/lock_names.h"

namespace tarvelin {

namespace {

constexpr size_t kNameArgumentMax = 255;
constexpr size_t kBindingMax = 255;
constexpr int kNewDomainsGetDefaultsOffset = 1543;  // setting 77

Status CheckPosition(const Context& context, int position) {
  if (position >= 0 && position < context.domains().Count()) return Status();
  return Status::InvalidArgument("no domain at position " + std::to_string(position));
}

}  // namespace

std::vector<std::string> DomainNames(const Context& context) {
  const DomainStore& domains = context.domains();
  std::vector<std::string> names;
  for (int position = 0; position < domains.Count(); ++position) {
    names.push_back(domains.NameAt(position));
  }
  return names;
}

Result<std::string> DomainNameAt(const Context& context, int position) {
  TARVELIN_RETURN_IF_ERROR(CheckPosition(context, position));
  return context.domains().NameAt(position);
}

int FindDomainPosition(const Context& context, std::string_view name) {
  return context.domains().FindPosition(CutTo(name, kNameArgumentMax), /*strict=*/true);
}

Result<DomainRecord> LoadDomain(Context& context, int position) {
  TARVELIN_RETURN_IF_ERROR(CheckPosition(context, position));
  DomainRecord record;
  if (!LoadDomainRecordAt(context, position, &record)) {
    return Status::NotFound("the domain " + context.domains().NameAt(position) +
                            " has no readable record");
  }
  return record;
}

Status SaveDomain(Context& context, int position, const DomainRecord& record) {
  TARVELIN_RETURN_IF_ERROR(CheckPosition(context, position));
  if (!SaveDomainRecord(context, position, record, /*is_new=*/false, "")) {
    return Status::IOError("the record of " + context.domains().NameAt(position) +
                           " could not be written");
  }
  UpdateConfiguration(context.Channel());
  return Status();
}

Status ChangeDomain(Context& context, int position,
                    const std::function<Status(DomainRecord&)>& change) {
  TARVELIN_RETURN_IF_ERROR(CheckPosition(context, position));
  const Result<CrossProcessLocks::Held> held = context.file_locks().Acquire(
      LockFileOf(context.api.config_path), DomainRecordLockOf(context.domains().NameAt(position)));
  if (!held.ok()) return held.status();
  Result<DomainRecord> record = LoadDomain(context, position);
  if (!record.ok()) return record.status();
  TARVELIN_RETURN_IF_ERROR(change(*record));
  return SaveDomain(context, position, *record);
}

Status AddDomain(Context& context, std::string_view name, const DomainRecord& record) {
  const std::string text = CutTo(name, kNameArgumentMax);
  DomainStore& domains = context.domains();
  if (text.size() > static_cast<size_t>(kDomainNameMax)) {
    return Status::InvalidArgument("a domain name has at most " + std::to_string(kDomainNameMax) +
                                   " characters");
  }
  // Held to the save: two programs adding one name give one entry.
  const Result<CrossProcessLocks::Held> held = LockCurrentConfiguration(context);
  if (!held.ok()) return held.status();
  if (domains.Exists(text)) return Status::AlreadyExists("the domain " + text + " exists already");
  // "." and ".." pass the character rule but would make the domain's
  // folder the configuration directory or its parent.
  if (!DomainStore::ValidName(text) || !DomainStore::IsFolderName(text)) {
    return Status::InvalidArgument("\"" + text + "\" is no valid domain name");
  }

  domains.Append(text);
  SaveConfig(context);
  const int position = domains.Count() - 1;
  const std::string stored = domains.NameAt(position);
  LogChange(context, "", "created", stored, /*is_new=*/true);
  // Its answer tells nothing: a domain it has already is no failure.
  if (context.database_storage()) context.backend().AddDomain(stored);
  UpdateConfiguration(context.Channel());
  if (!SaveDomainRecord(context, position, record, /*is_new=*/true, "")) {
    return Status::IOError("the domain " + stored +
                           " is listed, but its record could not be written");
  }
  return Status();
}

bool SetDomainDefaults(Context& context, uint8_t* record, int32_t force) {
  if (force == 0 && context.config.record.Byte(kNewDomainsGetDefaultsOffset) == 0) return false;
  ApplyDomainDefaultsFile(context.env(), context.api.config_path, record);
  return true;
}

Result<std::string> DomainBinding(const Context& context, int position) {
  TARVELIN_RETURN_IF_ERROR(CheckPosition(context, position));
  return context.domains().GetBinding(position);
}

int CurrentPosition(const Context& context, int position, const std::string& name) {
  const DomainStore& domains = context.domains();
  if (domains.NameAt(position) == name && position < domains.Count()) return position;
  const int found = domains.FindPosition(name, /*strict=*/true);
  return found >= 0 && domains.NameAt(found) == name ? found : -1;
}

Status SetDomainBinding(Context& context, int position, std::string_view addresses) {
  TARVELIN_RETURN_IF_ERROR(CheckPosition(context, position));
  const std::string name = context.domains().NameAt(position);
  const Result<CrossProcessLocks::Held> held = LockCurrentConfiguration(context);
  if (!held.ok()) return held.status();
  position = CurrentPosition(context, position, name);
  if (position < 0) return Status::NotFound("the domain " + name + " was removed meanwhile");
  if (!context.domains().SetBinding(position, CutTo(addresses, kBindingMax))) {
    return Status::IOError("the binding of " + context.domains().NameAt(position) +
                           " could not be stored");
  }
  SaveConfig(context);
  UpdateConfiguration(context.Channel());
  return Status();
}

}  // namespace tarvelin
