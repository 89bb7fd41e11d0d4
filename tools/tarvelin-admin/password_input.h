// A password typed by a person or piped by a script, never taken from the
// command line where other users of the machine can read it.
#pragma once

#include <string>

namespace tarvelin::cli {

enum class PasswordEntry {
  kOnce,     // to check a password
  kConfirm,  // to set one: typed twice on a terminal
};

// On a terminal: a prompt on standard error and the password typed without
// echo (twice for kConfirm; throws CommandError when the two differ).
// Otherwise the first line of standard input, its line break removed.
// Throws CommandError (usage) when there is no password.
std::string ReadPassword(const std::string& prompt, PasswordEntry entry);

}  // namespace tarvelin::cli
