#include <vector>

#include "cli_context.h"
#include "tarvelin/api.h"

namespace tarvelin::cli {

namespace {

void DomainList(const Output& out) {
  const int32_t count = ::GetDomainCount();
  if (count < 0) throw CommandError("cannot read the domain list (" + std::to_string(count) + ")");
  nlohmann::json names = nlohmann::json::array();
  std::string human;
  std::vector<char> buffer(256);
  for (int32_t position = 0; position < count; ++position) {
    const int32_t n = ::GetDomainName(position, buffer.data(), static_cast<int32_t>(buffer.size()));
    const std::string name = n > 0 ? std::string(buffer.data(), static_cast<size_t>(n)) : "";
    names.push_back({{"index", position}, {"name", name}});
    human += std::to_string(position) + "\t" + name + "\n";
  }
  out.Emit(names, count == 0 ? "(no domains)" : human);
}

}  // namespace

void RegisterDomainCommands(CLI::App& app, Context& context) {
  CLI::App* domain = app.add_subcommand("domain", "Domains");
  domain->require_subcommand(1);
  CLI::App* list = domain->add_subcommand("list", "List the domains");
  list->callback([&context] {
    context.Open();
    DomainList(context.out);
  });
}

}  // namespace tarvelin::cli
