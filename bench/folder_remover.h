// Benchmark fixtures are large; a killed benchmark must not leave one
// behind in the temp folder.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace tarvelin {

// A child process that removes `folder` once this process ends, however it
// ends: it waits for the end of a pipe only this process writes to.
class FolderRemover {
 public:
  explicit FolderRemover(const std::string& folder) : folder_(folder) {
    int fds[2];
    // Close-on-exec: a program started meanwhile must not keep it open.
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    child_ = fork();
    if (child_ == 0) {
      close(fds[1]);
      // A Ctrl-C or a kill of the process group must not stop it first.
      signal(SIGINT, SIG_IGN);
      signal(SIGTERM, SIG_IGN);
      signal(SIGHUP, SIG_IGN);
      char byte;
      ssize_t got;
      do {
        got = read(fds[0], &byte, 1);
      } while (got > 0 || (got < 0 && errno == EINTR));
      std::error_code ignored;
      std::filesystem::remove_all(folder_, ignored);
      _exit(0);
    }
    close(fds[0]);
    if (child_ < 0) {
      close(fds[1]);
      return;
    }
    pipe_ = fds[1];
  }
  ~FolderRemover() {
    if (pipe_ >= 0) close(pipe_);
    if (child_ > 0) {
      waitpid(child_, nullptr, 0);
    } else {
      std::error_code ignored;
      std::filesystem::remove_all(folder_, ignored);
    }
  }
  FolderRemover(const FolderRemover&) = delete;
  FolderRemover& operator=(const FolderRemover&) = delete;

 private:
  const std::string folder_;
  pid_t child_ = -1;
  int pipe_ = -1;
};

}  // namespace tarvelin
