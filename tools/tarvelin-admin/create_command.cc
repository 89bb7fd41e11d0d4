#include "cli_context.h"
#include "schema/config_offsets.h"
#include "core/config/configuration.h"
#include "store/file/file_domain_store.h"
#include "api/c/the_context.h"
#include "core/context.h"
#include "platform/file_system.h"
#include "platform/os_path.h"

namespace tarvelin::cli {

namespace {

void CreateInstallation(const Output& out, const std::string& install_dir,
                        const std::vector<std::string>& domains) {
  if (install_dir.empty()) throw CommandError("create needs --install-dir");
  Context context;
  context.api.install_path = WithTrailingSeparator(ToOsPath(install_dir));
  context.api.config_path = context.api.install_path + "config" + kPathSeparator;
  if (FileExists(context.env(), context.api.config_path + "settings.cfg")) {
    throw CommandError("an installation exists already in " + install_dir);
  }
  // Empty directory fields make the defaults pass place temp/, mail/ and
  // logs/ inside the new installation instead of relative to the caller.
  for (int offset : {offsets::kTempDirectory, offsets::kMailRoot, offsets::kLogDirectory}) {
    context.config.record.SetText(offset, "");
  }
  LoadConfiguration(context, /*must_exist=*/false);
  for (const std::string& name : domains) {
    if (name.empty() || name.size() > kDomainNameMax || !DomainStore::ValidName(name)) {
      throw CommandError("not a valid domain name: " + name);
    }
    if (context.domains().Exists(name)) throw CommandError("domain listed twice: " + name);
    context.domains().Append(name);
  }
  if (!SaveConfiguration(context)) {
    throw CommandError("cannot write " + context.api.config_path);
  }
  out.Emit({{"created", context.api.install_path}, {"domains", domains}},
           "created " + context.api.install_path);
}

}  // namespace

void RegisterCreateCommand(CLI::App& app, Session& session) {
  static std::vector<std::string> domains;
  CLI::App* create = app.add_subcommand("create", "Create a fresh installation in --install-dir");
  create->add_option("--domain", domains, "Domain to list (repeatable)");
  create->callback([&session] { CreateInstallation(session.out, session.install_dir, domains); });
}

}  // namespace tarvelin::cli
