// What to tell a user who typed a subcommand that does not exist: the word
// that is wrong, where, and the nearest real one.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelin::cli {

// Follows the words of `argv` down the subcommands of `app` (skipping
// options and their values); at the first word that should name a
// subcommand and names none, answers "unknown command 'lst' for 'account'"
// with "; did you mean 'list'?" when one is near. Empty when every word
// that should name a subcommand does.
std::string UnknownSubcommandMessage(CLI::App& app, int argc, const char* const* argv);

// The candidate nearest to `word` by edit distance, when it is close enough
// to be a slip of the keyboard (at most 2 edits, or a prefix); empty if
// none is.
std::string NearestWord(std::string_view word, const std::vector<std::string>& candidates);

}  // namespace tarvelin::cli
