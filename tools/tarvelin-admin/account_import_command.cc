// account import FILE: accounts added in bulk from "address password" lines,
// with progress on standard error and a summary of what failed. Ctrl-C
// stops it after the account at hand; --skip-existing lets a rerun finish
// what an interrupted import began.
#include <algorithm>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "cli_context.h"
#include "cli_values.h"
#include "core/accounts/account_lookup.h"
#include "core/accounts/account_operations.h"
#include "schema/user_settings.h"
#include "core/named_file.h"
#include "foundation/text.h"
#include "import_progress.h"
#include "interruption.h"
#include "new_account.h"
#include "schema/user_record.h"

namespace tarvelin::cli {

namespace {

constexpr int32_t kAliasListId = 3;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct ImportLine {
  int number = 0;  // 1-based, as an editor shows it
  std::string address;
  std::string password;
};

struct ImportFailure {
  int number = 0;
  std::string address;
  std::string error;
};

struct ImportCounts {
  int added = 0;
  int skipped = 0;
  int not_reached = 0;
  std::vector<ImportFailure> failures;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Read as a stream to its end, never by size: a pipe or a process
// substitution serves as well as a file.
std::string ReadImportFile(const Context& context, const std::string& file) {
  std::string text;
  if (file == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>{});
    if (std::cin.bad()) throw CommandError("cannot read standard input");
  } else {
    text = Checked(ReadNamedFile(context, file));
  }
  // Editors on some systems begin a UTF-8 file with a byte order mark.
  if (text.starts_with(kByteOrderMark)) text.erase(0, kByteOrderMark.size());
  return text;
}

// Blank lines and "#" comments are skipped; a line without a password is a
// failure of its own rather than an account without one.
void ParseImport(std::string_view text, std::vector<ImportLine>* lines,
                 std::vector<ImportFailure>* failures) {
  int number = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (line.empty() || line.front() == '#') continue;
    size_t split = 0;
    while (split < line.size() && !IsBlank(line[split])) ++split;
    ImportLine entry{number, std::string(line.substr(0, split)), ""};
    while (split < line.size() && IsBlank(line[split])) ++split;
    entry.password = line.substr(split);
    if (entry.password.empty()) {
      failures->push_back({number, entry.address, "no password after the address"});
    } else {
      lines->push_back(std::move(entry));
    }
  }
}

// Whether an account of the address's domain has its local part as one of
// its aliases, exactly (any case): the account is there already. An alias
// that only matches by wildcard or group is another account.
bool AddressPresent(Context& context, const std::string& address) {
  const size_t at = address.find('@');
  if (at == std::string::npos) return false;
  const std::string local = address.substr(0, at);
  const Result<std::string> domain = ResolveDomainName(context, address.substr(at + 1));
  if (!domain.ok()) return false;
  const int position = PositionOfAlias(context, *domain, local);
  if (position < 0) return false;
  const Result<UserRecord> record = LoadAccount(context, *domain, position);
  if (!record.ok()) return false;
  const Result<SettingValue> aliases =
      UserSettingValue(context.config.record, record->data(), kAliasListId);
  if (!aliases.ok()) return false;
  for (const std::string& alias : Split(aliases->text(), ';')) {
    if (EqualsNoCase(Trim(alias), local)) return true;
  }
  return false;
}

ImportCounts ImportAccounts(Context& context, const std::vector<ImportLine>& lines,
                            bool skip_existing, std::vector<ImportFailure> failures) {
  ImportCounts counts;
  counts.failures = std::move(failures);
  const Interruption interruption;
  ImportProgress progress(static_cast<int>(lines.size()));
  for (size_t i = 0; i < lines.size(); ++i) {
    if (interruption.requested()) {
      counts.not_reached = static_cast<int>(lines.size() - i);
      break;
    }
    const ImportLine& line = lines[i];
    try {
      AddNewAccount(context, {line.address, kUserAccount, line.password, {}});
      ++counts.added;
    } catch (const CommandError& error) {
      // Asked after the refusal, so an account another program adds
      // meanwhile counts as there too.
      if (skip_existing && AddressPresent(context, line.address)) {
        ++counts.skipped;
      } else {
        counts.failures.push_back({line.number, line.address, error.what()});
      }
    }
    progress.Show(static_cast<int>(i + 1));
  }
  return counts;
}

void AccountImport(Session& session, const std::string& file, bool skip_existing) {
  std::vector<ImportLine> lines;
  std::vector<ImportFailure> failures;
  ParseImport(ReadImportFile(session.context(), file), &lines, &failures);
  ImportCounts counts =
      ImportAccounts(session.context(), lines, skip_existing, std::move(failures));
  std::vector<ImportFailure>& failed_lines = counts.failures;
  std::sort(failed_lines.begin(), failed_lines.end(),
            [](const ImportFailure& a, const ImportFailure& b) { return a.number < b.number; });

  std::string human = "added " + std::to_string(counts.added);
  if (skip_existing) human += ", skipped " + std::to_string(counts.skipped);
  human += ", failed " + std::to_string(failed_lines.size());
  if (counts.not_reached > 0) human += ", not reached " + std::to_string(counts.not_reached);
  human += "\n";
  nlohmann::json failed = nlohmann::json::array();
  for (const ImportFailure& failure : failed_lines) {
    failed.push_back({{"line", failure.number},
                      {"address", Utf8OfLatin1(failure.address)},
                      {"error", Utf8OfLatin1(failure.error)}});
    human += "line " + std::to_string(failure.number) + ": " + failure.address + ": " +
             failure.error + "\n";
  }
  session.out.Emit({{"added", counts.added},
                    {"skipped", counts.skipped},
                    {"failed", failed},
                    {"not_reached", counts.not_reached},
                    {"interrupted", counts.not_reached > 0}},
                   human);
  if (counts.not_reached > 0) {
    throw CommandError("interrupted: " + std::to_string(counts.not_reached) +
                           " accounts not reached; run again with --skip-existing to finish",
                       ExitCode::kInterrupted);
  }
  if (!failed_lines.empty()) {
    throw CommandError(std::to_string(failed_lines.size()) + " of " +
                       std::to_string(counts.added + static_cast<int>(failed_lines.size())) +
                       " accounts were not added");
  }
}

}  // namespace

void RegisterAccountImportCommand(CLI::App& account, Session& session) {
  static std::string file;
  static bool skip_existing = false;
  CLI::App* import = account.add_subcommand(
      "import", "Add user accounts from \"address password\" lines (\"#\" starts a comment)");
  import->add_option("FILE", file, "The list; \"-\" for standard input (any stream will do)")
      ->required();
  import->add_flag("--skip-existing", skip_existing,
                   "Count an address that has its account already as skipped, not failed "
                   "(to finish an interrupted import)");
  import->callback([&session] {
    session.Open();
  AccountImport(session, file, skip_existing);
});
}  // namespace tarvelin::cli

}  // namespace tarvelin::cli
