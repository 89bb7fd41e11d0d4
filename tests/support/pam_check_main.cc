// Runs one PAM logon check, for tests that must start it in a fresh process
// (a preloaded PAM library, an environment of their own).
//
//   pam_check [--service NAME] DOMAIN USER < PASSWORD
//
// The password is all of standard input, NUL bytes included. Without
// --service the check uses PamServiceName(). Exits 0 when the logon is
// accepted, 1 when it is refused, 2 for a wrong command line.

#include <iostream>
#include <iterator>
#include <string>

#include "platform/pam_logon.h"

int main(int argc, char** argv) {
  int first = 1;
  std::string service;
  if (argc > 2 && std::string(argv[1]) == "--service") {
    service = argv[2];
    first = 3;
  } else {
    service = tarvelin::PamServiceName();
  }
  if (argc - first != 2) {
    std::cerr << "usage: pam_check [--service NAME] DOMAIN USER < PASSWORD\n";
    return 2;
  }
  const std::string password(std::istreambuf_iterator<char>(std::cin), {});
  return tarvelin::PamLogon(service, argv[first], argv[first + 1], password) ? 0 : 1;
}
