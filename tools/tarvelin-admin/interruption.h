// Ctrl-C during a long command: while an Interruption exists, the first
// SIGINT only asks the command to stop at a point where nothing is half
// done; a second one ends the program at once, as it would without it.
#pragma once

#include <csignal>

namespace tarvelin::cli {

class Interruption {
 public:
  Interruption();
  ~Interruption();
  Interruption(const Interruption&) = delete;
  Interruption& operator=(const Interruption&) = delete;

  // Whether SIGINT arrived since this object was made.
  bool requested() const;

 private:
  struct sigaction previous_ {};
};

}  // namespace tarvelin::cli
