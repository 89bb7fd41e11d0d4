#include "interruption.h"

namespace tarvelin::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void NoteInterrupt(int) { interrupted = 1; }

}  // namespace

Interruption::Interruption() {
  interrupted = 0;
  struct sigaction action {};
  action.sa_handler = NoteInterrupt;
  sigemptyset(&action.sa_mask);
  // SA_RESTART: a wait for a lock goes on, so the current step completes;
  // SA_RESETHAND: the second SIGINT has its usual effect.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGINT, &action, &previous_);
  // A program started with SIGINT ignored (a background job, nohup) keeps
  // ignoring it.
  if (previous_.sa_handler == SIG_IGN) sigaction(SIGINT, &previous_, nullptr);
}

Interruption::~Interruption() { sigaction(SIGINT, &previous_, nullptr); }

bool Interruption::requested() const { return interrupted != 0; }

}  // namespace tarvelin::cli
