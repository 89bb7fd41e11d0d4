#include "terminal.h"

#include <unistd.h>

namespace tarvelin::cli {

bool StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }
bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }
bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

}  // namespace tarvelin::cli
