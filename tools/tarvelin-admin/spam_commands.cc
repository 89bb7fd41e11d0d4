// `spam ...`: the antispam settings of spam.dat and the indexing of sorted
// messages for the antispam engine.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli_context.h"
#include "core/accounts/account_lookup.h"
#include "core/accounts/account_operations.h"
#include "core/antispam/spam_settings_file.h"
#include "core/domains/domain_operations.h"
#include "import_progress.h"
#include "jobs/antispam/spam_index.h"
#include "schema/spam_setting_table.h"
#include "terminal.h"

namespace tarvelin::cli {

namespace {

const SpamSettingRow& RowOf(const std::string& name) {
  const int index = FindSpamSetting(name);
  if (index < 0) {
    throw CommandError("no antispam setting is called \"" + name + "\" (spam get lists them)",
                       ExitCode::kNotFound);
  }
  return SpamSettingRows()[static_cast<size_t>(index)];
}

nlohmann::json SettingJson(const SpamSettingRow& row, const std::string& value) {
  return {{"name", row.key}, {"type", SpamValueKindName(row)}, {"value", value}};
}

void SpamGet(Session& session, const std::string& name) {
  const SpamSettings& settings = session.context().spam_settings();
  if (!name.empty()) {
    const SpamSettingRow& row = RowOf(name);
    const std::string value = settings.Text(row.key);
    session.out.Emit(SettingJson(row, value), value);
    return;
  }
  nlohmann::json all = nlohmann::json::array();
  std::string human;
  for (const SpamSettingRow& row : SpamSettingRows()) {
    const std::string value = settings.Text(row.key);
    all.push_back(SettingJson(row, value));
    human += std::string(row.key) + "=" + value + "\n";
  }
  session.out.Emit(all, human);
}

void SpamSet(Session& session, const std::string& name, const std::string& value) {
  const SpamSettingRow& row = RowOf(name);
  // The value's kind is checked before the file is touched.
  SpamSettings probe;
  if (const Status checked = probe.Set(row.key, value); !checked.ok()) {
    throw CommandError(checked.message(), ExitCode::kUsage);
  }
  Check(ChangeSpamSetting(session.context(), row.key, value), "cannot save spam.dat");
  const std::string saved = session.context().spam_settings().Text(row.key);
  session.out.Emit(SettingJson(row, saved), std::string(row.key) + "=" + saved);
}

void SpamIndex(Session& session, const std::string& address, const std::string& domain) {
  Context& context = session.context();
  if (!address.empty() && !domain.empty()) {
    throw CommandError("give an address or --domain, not both", ExitCode::kUsage);
  }
  SpamIndexTally tally;
  if (!address.empty()) {
    Check(IndexAccountSpam(context, address, &tally), "cannot index " + address);
  } else {
    std::vector<std::string> domains;
    if (!domain.empty()) {
      domains.push_back(Checked(ResolveDomainName(context, domain)));
    } else {
      for (const std::string& name : DomainNames(context)) {
        if (!name.empty()) domains.push_back(name);
      }
    }
    int total = 0;
    for (const std::string& name : domains) total += CountAccounts(context, name);
    std::unique_ptr<ImportProgress> progress;
    if (StandardErrorIsTerminal()) progress = std::make_unique<ImportProgress>(total);
    int before = 0;
    for (const std::string& name : domains) {
      Check(IndexDomainSpam(context, name, &tally,
                            [&](std::string_view, std::string_view, int done, int) {
                              if (progress) progress->Show(before + done);
                            }),
            "cannot index " + name);
      before += CountAccounts(context, name);
    }
  }
  const bool asked = RequestSpamIndexing(context);
  if (tally.failed > 0) {
    session.out.Warn(std::to_string(tally.failed) +
                     " messages could not be rewritten or copied and stay as they were");
  }
  session.out.Emit(
      {{"accounts", tally.accounts},
       {"messages", tally.messages},
       {"classified", tally.classified},
       {"failed", tally.failed},
       {"request_sent", asked}},
      "indexed " + std::to_string(tally.accounts) +
          " accounts: " + std::to_string(tally.classified) + " of " +
          std::to_string(tally.messages) + " messages newly classified and queued\n" +
          (asked ? "the SMTP service was asked to learn from them"
                 : "the SMTP service could not be reached; it learns at its next run"));
}

}  // namespace

void RegisterSpamCommands(CLI::App& app, Session& session) {
  CLI::App* spam = app.add_subcommand("spam", "Antispam settings (spam.dat) and indexing");
  spam->require_subcommand(1);
  static std::string name;
  static std::string value;
  static std::string address;
  static std::string domain;

  CLI::App* get = spam->add_subcommand("get", "Show one antispam setting, or all of them");
  get->add_option("NAME", name, "Setting name, any letter case (default: all)");
  get->callback([&session] {
    session.Open();
    SpamGet(session, name);
  });

  CLI::App* set = spam->add_subcommand("set", "Change one antispam setting in spam.dat");
  set->add_option("NAME", name, "Setting name, any letter case")->required();
  set->add_option("VALUE", value, "The value as spam.dat writes it")->required();
  set->callback([&session] {
    session.Open();
    SpamSet(session, name, value);
  });

  CLI::App* index = spam->add_subcommand(
      "index", "Mark sorted messages for the antispam engine and queue them for learning");
  index->add_option("ADDRESS", address,
                    "Account (alias@domain, or an alias of the first domain); default: every "
                    "account set for indexing");
  index->add_option("--domain", domain, "Only the accounts of this domain");
  index->callback([&session] {
    session.Open();
    SpamIndex(session, address, domain);
  });
}

}  // namespace tarvelin::cli
