// A pseudo-terminal for tests of what a program does on a user's terminal:
// the slave end stands for the terminal, the master end reads what reached it.
#pragma once

#include <string>

namespace tarvelin::testing {

class PseudoTerminal {
 public:
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // False where the system offers no pseudo-terminals.
  bool ok() const { return slave_ >= 0; }
  // The slave end, to redirect a program's output to (/dev/pts/N).
  const std::string& slave_path() const { return slave_path_; }
  int slave_fd() const { return slave_; }
  // Everything written to the slave end so far.
  std::string Drain();

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slave_path_;
};

}  // namespace tarvelin::testing
