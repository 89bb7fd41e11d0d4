#include "platform/terminal.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/pseudo_terminal.h"

namespace tarvelin {
namespace {

TEST(TerminalTest, TellsATerminalFromAFile) {
  testing::PseudoTerminal terminal;
  if (!terminal.ok()) GTEST_SKIP() << "no pseudo-terminals here";
  const int null = open("/dev/null", O_WRONLY);
  ASSERT_GE(null, 0);
  const struct {
    int fd;
    bool (*is_terminal)();
  } streams[] = {{STDOUT_FILENO, StandardOutputIsTerminal},
                 {STDERR_FILENO, StandardErrorIsTerminal}};
  for (const auto& stream : streams) {
    const int saved = dup(stream.fd);
    ASSERT_GE(saved, 0);
    dup2(terminal.slave_fd(), stream.fd);
    const bool on_terminal = stream.is_terminal();
    dup2(null, stream.fd);
    const bool on_file = stream.is_terminal();
    dup2(saved, stream.fd);
    close(saved);
    EXPECT_TRUE(on_terminal) << stream.fd;
    EXPECT_FALSE(on_file) << stream.fd;
  }
  close(null);
}

}  // namespace
}  // namespace tarvelin
