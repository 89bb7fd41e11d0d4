// A stand-in for a server service, started by the tests as its own process.
//
//   fake_service --run-dir DIR --name NAME --log FILE [--answer N]
//
// Writes its pid to DIR/NAME.pid, then listens on DIR/NAME.sock: once the
// socket accepts, the pid file is complete. Serves one
// connection at a time: reads the request (20 bytes for the command codes
// 4096 and 4099, otherwise whatever arrives within a short pause, up to 2048
// bytes), appends it to FILE as one line of lower-case hex, answers 4099 with
// the 32-bit little-endian N (default 1) and closes. A connection that sends
// nothing is not recorded, so a client can connect, shut down its side and
// wait for the close to know that every earlier request is in FILE.
// SIGTERM removes the pid file and the socket and exits 0.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t kCommandCode = 4096;
constexpr uint32_t kCommandWithAnswerCode = 4099;
constexpr size_t kCommandSize = 20;
constexpr size_t kRequestMax = 2048;
constexpr int kCommandWaitMs = 5000;  // a command's bytes are on their way
constexpr int kPauseMs = 100;         // silence that ends another request

std::string pid_path;
std::string socket_path;

void OnTerminate(int) {
  ::unlink(pid_path.c_str());
  ::unlink(socket_path.c_str());
  ::_exit(0);
}

// Appends up to `want` bytes to `request`, giving up after `wait_ms` without
// data or at end of stream.
void ReadUpTo(int fd, size_t want, int wait_ms, std::string* request) {
  char buffer[kRequestMax];
  while (request->size() < want) {
    pollfd p{fd, POLLIN, 0};
    int ready = ::poll(&p, 1, wait_ms);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return;
    ssize_t n = ::recv(fd, buffer, want - request->size(), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    request->append(buffer, static_cast<size_t>(n));
  }
}

uint32_t Code(const std::string& request) {
  uint32_t code = 0;
  for (int i = 3; i >= 0; --i) {
    code = (code << 8) | static_cast<uint8_t>(request[i]);
  }
  return code;
}

void Record(int log_fd, const std::string& request) {
  static const char kDigits[] = "0123456789abcdef";
  std::string line;
  for (unsigned char c : request) {
    line += kDigits[c >> 4];
    line += kDigits[c & 15];
  }
  line += '\n';
  // O_APPEND and one write per line: the file is complete once this returns.
  if (::write(log_fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
    std::perror("fake_service: log");
  }
}

void Serve(int client, int log_fd, int32_t answer) {
  std::string request;
  ReadUpTo(client, 4, kCommandWaitMs, &request);
  if (request.empty()) return;
  uint32_t code = request.size() >= 4 ? Code(request) : 0;
  bool command = code == kCommandCode || code == kCommandWithAnswerCode;
  if (command) {
    ReadUpTo(client, kCommandSize, kCommandWaitMs, &request);
  } else {
    ReadUpTo(client, kRequestMax, kPauseMs, &request);
  }
  Record(log_fd, request);
  if (code == kCommandWithAnswerCode) {
    uint8_t bytes[4];
    uint32_t value = static_cast<uint32_t>(answer);
    for (uint8_t& b : bytes) {
      b = static_cast<uint8_t>(value);
      value >>= 8;
    }
    ::send(client, bytes, sizeof(bytes), MSG_NOSIGNAL);
  }
}

int Fail(const char* what) {
  std::fprintf(stderr, "fake_service: %s: %s\n", what, std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string run_dir, name, log_path;
  int32_t answer = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    if (option == "--run-dir")
      run_dir = argv[i + 1];
    else if (option == "--name")
      name = argv[i + 1];
    else if (option == "--log")
      log_path = argv[i + 1];
    else if (option == "--answer")
      answer = std::atoi(argv[i + 1]);
  }
  if (run_dir.empty() || name.empty() || log_path.empty()) {
    std::fprintf(stderr,
                 "usage: fake_service --run-dir DIR --name NAME --log FILE "
                 "[--answer N]\n");
    return 2;
  }
  if (run_dir.back() != '/') run_dir += '/';
  pid_path = run_dir + name + ".pid";
  socket_path = run_dir + name + ".sock";

  struct sigaction on_term {};
  on_term.sa_handler = OnTerminate;
  sigemptyset(&on_term.sa_mask);
  ::sigaction(SIGTERM, &on_term, nullptr);

  int log_fd = ::open(log_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (log_fd < 0) return Fail("log");

  FILE* pid_file = std::fopen(pid_path.c_str(), "w");
  if (pid_file == nullptr) return Fail("pid file");
  std::fprintf(pid_file, "%d\n", static_cast<int>(::getpid()));
  std::fclose(pid_file);

  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socket_path.size() >= sizeof(address.sun_path)) {
    std::fprintf(stderr, "fake_service: socket path too long\n");
    return 1;
  }
  std::memcpy(address.sun_path, socket_path.data(), socket_path.size());
  ::unlink(socket_path.c_str());
  int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener < 0) return Fail("socket");
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    return Fail("bind");
  }
  if (::listen(listener, 16) != 0) return Fail("listen");

  for (;;) {
    int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return Fail("accept");
    }
    Serve(client, log_fd, answer);
    ::close(client);
  }
}
