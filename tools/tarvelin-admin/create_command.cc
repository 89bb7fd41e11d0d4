// `create`: a fresh installation in --install-dir or $TARVELIN_INSTALL_DIR.
#include "cli_context.h"
#include "core/config/create_installation.h"
#include "host_names.h"

namespace tarvelin::cli {

namespace {

constexpr const char* kInstallDirVariable = "TARVELIN_INSTALL_DIR";

void Create(Session& session, const std::vector<std::string>& domains) {
  for (const std::string& name : domains) {
    CheckNewDomainName(name, "cannot create the installation");
  }
  Context& context = session.context();
  std::string folder = session.install_dir;
  if (folder.empty()) folder = context.env().GetVariable(kInstallDirVariable);
  if (folder.empty()) {
    throw CommandError(std::string("create needs --install-dir or ") + kInstallDirVariable,
                       ExitCode::kUsage);
  }
  Check(CreateInstallation(context, folder, domains));
  session.out.Emit({{"created", context.api.install_path}, {"domains", domains}},
                   "created " + context.api.install_path);
}

}  // namespace

void RegisterCreateCommand(CLI::App& app, Session& session) {
  static std::vector<std::string> domains;
  CLI::App* create = app.add_subcommand(
      "create", "Create a fresh installation in --install-dir (or $TARVELIN_INSTALL_DIR)");
  create->add_option("--domain", domains, "Domain to add (repeatable)");
  create->callback([&session] { Create(session, domains); });
}

}  // namespace tarvelin::cli
