#include "cli_context.h"
#include "core/config/create_installation.h"
#include "host_names.h"

namespace tarvelin::cli {

namespace {

void Create(Session& session, const std::vector<std::string>& domains) {
  if (session.install_dir.empty()) throw CommandError("create needs --install-dir");
  for (const std::string& name : domains) {
    CheckNewDomainName(name, "cannot create the installation");
  }
  Context& context = session.context();
  Check(CreateInstallation(context, session.install_dir, domains));
  session.out.Emit({{"created", context.api.install_path}, {"domains", domains}},
                   "created " + context.api.install_path);
}

}  // namespace

void RegisterCreateCommand(CLI::App& app, Session& session) {
  static std::vector<std::string> domains;
  CLI::App* create = app.add_subcommand("create", "Create a fresh installation in --install-dir");
  create->add_option("--domain", domains, "Domain to list (repeatable)");
  create->callback([&session] { Create(session, domains); });
}

}  // namespace tarvelin::cli
