#include "core/config/create_installation.h"

#include "core/config/configuration.h"
#include "core/context.h"
#include "core/domains/domain_operations.h"
#include "core/domains/domain_records.h"
#include "foundation/text.h"
#include "platform/file_system.h"
#include "platform/os_path.h"
#include "schema/config_offsets.h"
#include "schema/property_table.h"
#include "schema/shipped_property_text.h"

namespace tarvelin {

namespace {

Status CheckDomainNames(const std::vector<std::string>& domains) {
  for (size_t i = 0; i < domains.size(); ++i) {
    const std::string& name = domains[i];
    if (name.empty() || name.size() > static_cast<size_t>(kDomainNameMax) ||
        !DomainStore::ValidName(name)) {
      return Status::InvalidArgument("not a valid domain name: " + name);
    }
    for (size_t j = 0; j < i; ++j) {
      if (EqualsNoCase(domains[j], name)) {
        return Status::InvalidArgument("domain listed twice: " + name);
      }
    }
  }
  return Status::Ok();
}

// The property names the query language and the tools read, where the
// library looks first; a copy the folder holds already is kept.
Status InstallPropertyNames(Env& env, const std::string& install_path) {
  const std::vector<std::string> candidates = PropertyFileCandidates(install_path);
  for (const std::string& path : candidates) {
    if (FileExists(env, path)) return Status::Ok();
  }
  return WriteFileAtomicCreatingFolder(env, candidates.front(), ShippedPropertyText());
}

}  // namespace

Status CreateInstallation(Context& context, std::string_view install_dir,
                          const std::vector<std::string>& domains) {
  if (install_dir.empty()) return Status::InvalidArgument("no installation folder given");
  TARVELIN_RETURN_IF_ERROR(CheckDomainNames(domains));
  context.api.install_path = WithTrailingSeparator(ToOsPath(install_dir));
  context.api.config_path = context.api.install_path + "config" + kPathSeparator;
  if (FileExists(context.env(), context.api.config_path + "settings.cfg")) {
    return Status::AlreadyExists("an installation exists already in " + std::string(install_dir));
  }
  // Empty directory fields make the defaults pass place temp/, mail/ and
  // logs/ inside the new installation instead of relative to the caller.
  for (int offset : {offsets::kTempDirectory, offsets::kMailRoot, offsets::kLogDirectory}) {
    context.config.record.SetText(offset, "");
  }
  // Before settings.cfg: a failure here leaves the folder free for another try.
  TARVELIN_RETURN_IF_ERROR(InstallPropertyNames(context.env(), context.api.install_path));
  LoadConfiguration(context, /*must_exist=*/false);
  for (const std::string& name : domains) context.domains().Append(name);
  if (!SaveConfiguration(context)) {
    return Status::IOError("cannot write " + context.api.config_path);
  }
  // Each domain gets its record as a domain added later would: a listed
  // domain without one cannot be loaded.
  for (int position = 0; position < static_cast<int>(domains.size()); ++position) {
    DomainRecord record{};
    SetDomainDefaults(context, record.data(), 0);
    if (!SaveDomainRecord(context, position, record, /*is_new=*/true, "")) {
      return Status::IOError("cannot write the record of the domain " + domains[position]);
    }
  }
  return Status::Ok();
}

}  // namespace tarvelin
