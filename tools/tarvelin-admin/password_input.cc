#include "password_input.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "cli_output.h"
#include "terminal.h"

namespace tarvelin::cli {

namespace {

std::string ReadLine() {
  std::string line;
  std::getline(std::cin, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// Turns the terminal's echo off while it lives, and back on after, even
// when reading throws.
class EchoOff {
 public:
  EchoOff() : saved_ok_(tcgetattr(STDIN_FILENO, &saved_) == 0) {
    if (!saved_ok_) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  ~EchoOff() {
    if (saved_ok_) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  termios saved_{};
  bool saved_ok_;
};

std::string Prompted(const std::string& prompt) {
  std::cerr << prompt << std::flush;
  std::string typed;
  {
    const EchoOff quiet;
    typed = ReadLine();
  }
  std::cerr << "\n";
  return typed;
}

}  // namespace

std::string ReadPassword(const std::string& prompt, PasswordEntry entry) {
  if (!StandardInputIsTerminal()) {
    const std::string password = ReadLine();
    if (password.empty()) throw CommandError("no password on standard input", ExitCode::kUsage);
    return password;
  }
  const std::string password = Prompted(prompt + ": ");
  if (password.empty()) throw CommandError("no password typed", ExitCode::kUsage);
  if (entry == PasswordEntry::kConfirm && Prompted(prompt + " again: ") != password) {
    throw CommandError("the two passwords differ; nothing changed", ExitCode::kUsage);
  }
  return password;
}

}  // namespace tarvelin::cli
