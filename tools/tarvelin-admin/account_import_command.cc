// account import FILE: accounts added in bulk from "address password" lines,
// with a progress bar on a terminal and a summary of what failed.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "cli_context.h"
#include "cli_values.h"
#include "core/named_file.h"
#include "new_account.h"
#include "schema/user_record.h"
#include "terminal.h"

namespace tarvelin::cli {

namespace {

constexpr int kBarWidth = 30;
// Without a terminal a count now and then shows that a long import moves.
constexpr int kPlainCountStep = 1000;

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

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string ReadImportFile(const Context& context, const std::string& file) {
  if (file != "-") return Checked(ReadNamedFile(context, file));
  std::string text(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>{});
  if (std::cin.bad()) throw CommandError("cannot read standard input");
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

// "[#####.....] done/total" redrawn in place on a terminal; plain count
// lines otherwise. On standard error, so the summary alone is the output.
class ImportProgress {
 public:
  explicit ImportProgress(int total) : terminal_(StandardErrorIsTerminal()), total_(total) {}
  ~ImportProgress() {
    if (drawn_) std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
  }

  void Show(int done) {
    if (!terminal_) {
      if (done % kPlainCountStep == 0) std::fprintf(stderr, "%d/%d\n", done, total_);
      return;
    }
    const int filled = total_ > 0 ? static_cast<int>(int64_t{done} * kBarWidth / total_) : 0;
    // Redraw when the bar grows or now and then for the count, not per line.
    if (drawn_ && filled == last_filled_ && done % 64 != 0 && done != total_) return;
    last_filled_ = filled;
    drawn_ = true;
    std::string line = "\r[";
    line.append(static_cast<size_t>(filled), '#');
    line.append(static_cast<size_t>(kBarWidth - filled), '.');
    line += "] " + std::to_string(done) + "/" + std::to_string(total_) + "\033[K";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
  }

 private:
  const bool terminal_;
  const int total_;
  bool drawn_ = false;
  int last_filled_ = -1;
};

void AccountImport(Session& session, const std::string& file) {
  std::vector<ImportLine> lines;
  std::vector<ImportFailure> failures;
  ParseImport(ReadImportFile(session.context(), file), &lines, &failures);
  int added = 0;
  {
    ImportProgress progress(static_cast<int>(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i) {
      try {
        AddNewAccount(session.context(), {lines[i].address, kUserAccount, lines[i].password, {}});
        ++added;
      } catch (const CommandError& error) {
        failures.push_back({lines[i].number, lines[i].address, error.what()});
      }
      progress.Show(static_cast<int>(i + 1));
    }
  }
  std::sort(failures.begin(), failures.end(),
            [](const ImportFailure& a, const ImportFailure& b) { return a.number < b.number; });
  nlohmann::json failed = nlohmann::json::array();
  std::string human =
      "added " + std::to_string(added) + ", failed " + std::to_string(failures.size()) + "\n";
  for (const ImportFailure& failure : failures) {
    failed.push_back({{"line", failure.number},
                      {"address", Utf8OfLatin1(failure.address)},
                      {"error", Utf8OfLatin1(failure.error)}});
    human += "line " + std::to_string(failure.number) + ": " + failure.address + ": " +
             failure.error + "\n";
  }
  session.out.Emit({{"added", added}, {"failed", failed}}, human);
  if (!failures.empty()) {
    throw CommandError(std::to_string(failures.size()) + " of " +
                       std::to_string(added + static_cast<int>(failures.size())) +
                       " accounts were not added");
  }
}

}  // namespace

void RegisterAccountImportCommand(CLI::App& account, Session& session) {
  static std::string file;
  CLI::App* import = account.add_subcommand(
      "import", "Add user accounts from \"address password\" lines (\"#\" starts a comment)");
  import->add_option("FILE", file, "The list; \"-\" for standard input")->required();
  import->callback([&session] {
    session.Open();
  AccountImport(session, file);
});
}  // namespace tarvelin::cli

}  // namespace tarvelin::cli
