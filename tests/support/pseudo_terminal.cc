#include "support/pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace tarvelin::testing {

PseudoTerminal::PseudoTerminal() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
  const char* name = ptsname(master_);
  if (name == nullptr) return;
  slave_path_ = name;
  // Held open here too, so that what a program wrote stays readable after
  // it closed its end.
  slave_ = open(name, O_RDWR | O_NOCTTY);
  if (slave_ < 0) return;
  // Raw output: the bytes as the program wrote them, no "\n" to "\r\n".
  termios settings{};
  if (tcgetattr(slave_, &settings) == 0) {
    cfmakeraw(&settings);
    tcsetattr(slave_, TCSANOW, &settings);
  }
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PseudoTerminal::~PseudoTerminal() {
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
}

std::string PseudoTerminal::Drain() {
  std::string text;
  char chunk[4096];
  ssize_t n;
  while (master_ >= 0 && (n = read(master_, chunk, sizeof chunk)) > 0) text.append(chunk, n);
  return text;
}

}  // namespace tarvelin::testing
