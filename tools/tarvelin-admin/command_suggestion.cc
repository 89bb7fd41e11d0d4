#include "command_suggestion.h"

#include <algorithm>
#include <numeric>

namespace tarvelin::cli {

namespace {

size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), 0);
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The option a word names in `app` or, as options fall through, in a parent.
const CLI::Option* OptionNamed(CLI::App* app, const std::string& word) {
  const std::string name = word.substr(0, word.find('='));
  for (CLI::App* at = app; at != nullptr; at = at->get_parent()) {
    if (const CLI::Option* option = at->get_option_no_throw(name)) return option;
  }
  return nullptr;
}

CLI::App* SubcommandNamed(CLI::App& app, const std::string& word) {
  for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
    if (sub->check_name(word)) return sub;
  }
  return nullptr;
}

std::vector<std::string> SubcommandNames(CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
    names.push_back(sub->get_name());
  }
  return names;
}

}  // namespace

std::string NearestWord(std::string_view word, const std::vector<std::string>& candidates) {
  std::string best;
  size_t best_distance = 3;
  for (const std::string& candidate : candidates) {
    if (word.size() >= 2 && candidate.starts_with(word)) return candidate;
    const size_t distance = EditDistance(word, candidate);
    if (distance < best_distance) {
      best_distance = distance;
      best = candidate;
    }
  }
  return best;
}

std::string UnknownSubcommandMessage(CLI::App& app, int argc, const char* const* argv) {
  CLI::App* at = &app;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--") return "";
    if (word.size() > 1 && word[0] == '-') {
      const CLI::Option* option = OptionNamed(at, word);
      if (option != nullptr && option->get_items_expected() > 0 &&
          word.find('=') == std::string::npos && word.rfind("--", 0) == 0) {
        ++i;  // its value
      }
      continue;
    }
    const std::vector<std::string> names = SubcommandNames(*at);
    if (names.empty()) return "";  // the words from here on are the command's own
    if (CLI::App* sub = SubcommandNamed(*at, word)) {
      at = sub;
      continue;
    }
    std::string message = "unknown command '" + word + "'";
    if (at != &app) message += " for '" + at->get_name() + "'";
    const std::string nearest = NearestWord(word, names);
    if (!nearest.empty()) message += "; did you mean '" + nearest + "'?";
    return message;
  }
  return "";
}

}  // namespace tarvelin::cli
