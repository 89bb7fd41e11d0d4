// tarvelin-admin: the command-line face of the administration library.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "cli_output.h"
#include "config_commands.h"
#include "create_command.h"
#include "domain_commands.h"
#include "session.h"

using namespace tarvelin::cli;

int main(int argc, char** argv) {
  CLI::App app{"Administration of a Tarvelin mail server installation"};
  app.require_subcommand(1);
  std::string install_dir;
  Output out;
  app.add_option("--install-dir", install_dir,
                 "Installation directory (default: $TARVELIN_INSTALL_DIR)");
  app.add_flag("--json", out.json, "Answer in JSON");

  std::vector<std::string> new_domains;
  CLI::App* create = app.add_subcommand("create", "Create a fresh installation in --install-dir");
  create->add_option("--domain", new_domains, "Domain to list (repeatable)");

  CLI::App* config = app.add_subcommand("config", "Global settings by number");
  config->require_subcommand(1);
  int32_t id = 0;
  std::string value;
  CLI::App* get = config->add_subcommand("get", "Show one setting");
  get->add_option("ID", id, "Setting id")->required();
  CLI::App* set = config->add_subcommand("set", "Change one setting and save");
  set->add_option("ID", id, "Setting id")->required();
  set->add_option("VALUE", value, "Number, flag (1/0), text, or block as hex")->required();
  CLI::App* dump = config->add_subcommand("dump", "Show every setting");

  CLI::App* domain = app.add_subcommand("domain", "Domains");
  domain->require_subcommand(1);
  CLI::App* list = domain->add_subcommand("list", "List the domains");

  CLI11_PARSE(app, argc, argv);

  try {
    if (create->parsed()) {
      CreateInstallation(out, install_dir, new_domains);
      return 0;
    }
    OpenInstallation(install_dir);
    if (get->parsed()) ConfigGet(out, id);
    if (set->parsed()) ConfigSet(out, id, value);
    if (dump->parsed()) ConfigDump(out);
    if (list->parsed()) DomainList(out);
  } catch (const std::exception& error) {
    std::cerr << "tarvelin-admin: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
