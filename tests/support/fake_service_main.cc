// A stand-in for a server service, started by the tests as its own process.
//
//   fake_service --run-dir DIR --name NAME --log FILE [--answer N] [--stubborn]
//   control | pop3 | smtp | im | cal      (a copy named like a service program)
//
// Run with no arguments, it is the service its file name stands for
// (control: TarvelinControl, pop3: TarvelinPOP3, smtp: TarvelinSMTP, im:
// TarvelinIM, cal: TarvelinCalendar), its run directory is
// $TARVELIN_RUN_DIR or <its own directory>/run/, its log RUN/NAME.requests,
// and it ignores SIGTERM when RUN/NAME.stubborn exists.
//
// Listens on RUN/NAME.sock, then writes its pid to RUN/NAME.pid (replacing
// the file whole): once the pid file is there, the socket accepts. Serves
// one connection at a time: reads one request, appends it to the log as one
// line of lower-case hex, answers, closes. A connection that sends nothing
// is not recorded, so a client can connect, shut down its side and wait for
// the close to know that every earlier request is in the log.
//
// Answers, from files in RUN read at each request:
//   4099 command with answer   the 32-bit N (default 1)
//   4098 statistics            NAME.statistics as it stands (default 120 zeros)
//   4102 statistics reset      keeps the 120 bytes sent as NAME.statistics;
//                              answers the 32-bit 1
//   4100 migration status      NAME.migration (default 40 zeros)
//   4110 sessions "<id>;<h>"   NAME.sessions (h = 0) or NAME.history (h = 1),
//                              length-prefixed (default count 0)
//   4105 groupware call        length-prefixed: NAME.call-<call> as it
//                              stands when that file exists; otherwise
//                              "LoginUser" with a login name gives
//                              "session-1", without one ""; any other call
//                              gives "<call>|<session>|<arg>|<second>"
// SIGTERM removes the pid file and the socket and exits 0.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/base64.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "platform/file_system.h"
#include "platform/posix_env.h"

namespace {

constexpr uint32_t kCommandCode = 4096;
constexpr uint32_t kCommandWithAnswerCode = 4099;
constexpr uint32_t kStatisticsCode = 4098;
constexpr uint32_t kMigrationStatusCode = 4100;
constexpr uint32_t kStatisticsResetCode = 4102;
constexpr uint32_t kGroupwareCallCode = 4105;
constexpr uint32_t kSessionsCode = 4110;
constexpr size_t kCommandSize = 20;
constexpr size_t kStatisticsSize = 120;
constexpr size_t kMigrationSize = 40;
constexpr size_t kPlainAnswerMax = 2048;
constexpr size_t kRequestMax = 2048;
constexpr size_t kSessionsRequestMax = 255;

// The program's one Env.
tarvelin::Env& TheEnv() {
  static tarvelin::PosixEnv env;
  return env;
}
constexpr size_t kGroupwareRequestMax = 16 << 20;
constexpr int kRequestWaitMs = 5000;  // the rest of a known request is on its way
constexpr int kPauseMs = 100;         // silence that ends an unknown request

struct Program {
  const char* file;
  const char* service;
};
constexpr Program kPrograms[] = {{"control", "TarvelinControl"},
                                 {"pop3", "TarvelinPOP3"},
                                 {"smtp", "TarvelinSMTP"},
                                 {"im", "TarvelinIM"},
                                 {"cal", "TarvelinCalendar"}};

struct Options {
  std::string run_dir;  // ends with "/"
  std::string name;
  std::string log_path;
  int32_t answer = 1;
  bool stubborn = false;
};

std::string pid_path;
std::string socket_path;

void OnTerminate(int) {
  ::unlink(pid_path.c_str());
  ::unlink(socket_path.c_str());
  ::_exit(0);
}

std::string CannedFile(const Options& options, const char* suffix) {
  return options.run_dir + options.name + suffix;
}

// The file's bytes, or `fallback` when it cannot be read.
std::string Canned(const Options& options, const char* suffix, std::string fallback) {
  std::string content;
  if (!TheEnv().ReadFile(CannedFile(options, suffix), &content).ok()) {
    return fallback;
  }
  return content;
}

// Appends to `request` until it holds `want` bytes, giving up after `wait_ms`
// without data or at end of stream.
void ReadUpTo(int fd, size_t want, int wait_ms, std::string* request) {
  std::vector<char> buffer(64 * 1024);
  while (request->size() < want) {
    pollfd p{fd, POLLIN, 0};
    int ready = ::poll(&p, 1, wait_ms);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return;
    ssize_t n = ::recv(fd, buffer.data(), std::min(buffer.size(), want - request->size()), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    request->append(buffer.data(), static_cast<size_t>(n));
  }
}

uint32_t LE32(const std::string& bytes, size_t at) {
  return tarvelin::GetLE(reinterpret_cast<const uint8_t*>(bytes.data()) + at, 4);
}

std::string AsLE32(uint32_t value) {
  uint8_t bytes[4];
  tarvelin::PutLE(bytes, 4, value);
  return std::string(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

// Reads the rest of a request whose code is known, as much as its layout
// says; unknown codes end at a pause.
void ReadRest(int fd, uint32_t code, std::string* request) {
  switch (code) {
    case kCommandCode:
    case kCommandWithAnswerCode:
      return ReadUpTo(fd, kCommandSize, kRequestWaitMs, request);
    case kStatisticsCode:
      return ReadUpTo(fd, 5, kRequestWaitMs, request);
    case kMigrationStatusCode:
      return;
    case kStatisticsResetCode:
      return ReadUpTo(fd, 5 + kStatisticsSize, kRequestWaitMs, request);
    case kGroupwareCallCode: {
      ReadUpTo(fd, 8, kRequestWaitMs, request);
      if (request->size() < 8) return;
      const size_t total = 4 + static_cast<size_t>(LE32(*request, 4));
      return ReadUpTo(fd, std::min(total, kGroupwareRequestMax), kRequestWaitMs, request);
    }
    case kSessionsCode:
      // "<id>;<h>": complete one byte after the semicolon.
      while (request->size() < kSessionsRequestMax) {
        const size_t semicolon = request->find(';', 4);
        if (semicolon != std::string::npos && semicolon + 1 < request->size()) return;
        const size_t before = request->size();
        ReadUpTo(fd, before + 1, kRequestWaitMs, request);
        if (request->size() == before) return;
      }
      return;
    default:
      return ReadUpTo(fd, kRequestMax, kPauseMs, request);
  }
}

std::string GroupwareAnswer(const Options& options, const std::string& request) {
  if (request.size() < 8) return std::string();
  std::vector<std::string> fields;
  for (const std::string& field : tarvelin::Split(request.substr(8), ';')) {
    const std::vector<uint8_t> bytes = tarvelin::Base64Decode(field);
    fields.emplace_back(bytes.begin(), bytes.end());
  }
  fields.resize(5);
  std::string canned;
  if (TheEnv().ReadFile(options.run_dir + options.name + ".call-" + fields[0], &canned).ok()) {
    return canned;
  }
  if (fields[0] == "LoginUser") return fields[1].empty() ? "" : "session-1";
  return fields[0] + "|" + fields[1] + "|" + fields[2] + "|" + fields[3];
}

std::string LengthPrefixed(const std::string& text) {
  return AsLE32(static_cast<uint32_t>(text.size())) + text;
}

// The bytes to send back, or empty for no answer.
std::string Answer(const Options& options, uint32_t code, const std::string& request) {
  switch (code) {
    case kCommandWithAnswerCode:
      return AsLE32(static_cast<uint32_t>(options.answer));
    case kStatisticsCode:
      return Canned(options, ".statistics", std::string(kStatisticsSize, '\0'))
          .substr(0, kPlainAnswerMax);
    case kStatisticsResetCode:
      if (request.size() == 5 + kStatisticsSize) {
        tarvelin::WriteFileAtomic(TheEnv(), CannedFile(options, ".statistics"), request.substr(5));
      }
      return AsLE32(1);
    case kMigrationStatusCode:
      return Canned(options, ".migration", std::string(kMigrationSize, '\0'))
          .substr(0, kPlainAnswerMax);
    case kSessionsCode: {
      const bool history = !request.empty() && request.back() == '1';
      return LengthPrefixed(Canned(options, history ? ".history" : ".sessions", ""));
    }
    case kGroupwareCallCode:
      return LengthPrefixed(GroupwareAnswer(options, request));
    default:
      return std::string();
  }
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

void Serve(int client, int log_fd, const Options& options) {
  std::string request;
  ReadUpTo(client, 4, kRequestWaitMs, &request);
  if (request.empty()) return;
  const uint32_t code = request.size() >= 4 ? LE32(request, 0) : 0;
  ReadRest(client, code, &request);
  Record(log_fd, request);
  const std::string answer = Answer(options, code, request);
  size_t sent = 0;
  while (sent < answer.size()) {
    ssize_t n = ::send(client, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    sent += static_cast<size_t>(n);
  }
}

int Fail(const char* what) {
  std::fprintf(stderr, "fake_service: %s: %s\n", what, std::strerror(errno));
  return 1;
}

bool ParseArguments(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (option == "--stubborn") {
      options->stubborn = true;
      continue;
    }
    if (value == nullptr) return false;
    ++i;
    if (option == "--run-dir") {
      options->run_dir = value;
    } else if (option == "--name") {
      options->name = value;
    } else if (option == "--log") {
      options->log_path = value;
    } else if (option == "--answer") {
      options->answer = std::atoi(value);
    } else {
      return false;
    }
  }
  if (options->run_dir.empty() || options->name.empty() || options->log_path.empty()) {
    return false;
  }
  if (options->run_dir.back() != '/') options->run_dir += '/';
  return true;
}

// The service a program file named like a server program stands for.
bool DeriveFromProgramName(const char* argv0, Options* options) {
  std::string file = argv0;
  file = file.substr(file.rfind('/') + 1);
  for (const Program& program : kPrograms) {
    if (file == program.file) options->name = program.service;
  }
  if (options->name.empty()) return false;
  options->run_dir = TheEnv().GetVariable("TARVELIN_RUN_DIR");
  if (options->run_dir.empty()) {
    const std::string program = TheEnv().ProgramPath().value_or("");
    options->run_dir = program.substr(0, program.rfind('/') + 1) + "run/";
  }
  if (options->run_dir.back() != '/') options->run_dir += '/';
  TheEnv().CreateDirectories(options->run_dir);
  options->log_path = options->run_dir + options->name + ".requests";
  options->stubborn = tarvelin::FileExists(TheEnv(), CannedFile(*options, ".stubborn"));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const bool understood =
      argc > 1 ? ParseArguments(argc, argv, &options) : DeriveFromProgramName(argv[0], &options);
  if (!understood) {
    std::fprintf(stderr,
                 "usage: fake_service --run-dir DIR --name NAME --log FILE [--answer N] "
                 "[--stubborn]\n"
                 "   or: a copy named control, pop3, smtp, im or cal, run without arguments\n");
    return 2;
  }
  pid_path = options.run_dir + options.name + ".pid";
  socket_path = options.run_dir + options.name + ".sock";

  struct sigaction on_term {};
  on_term.sa_handler = options.stubborn ? SIG_IGN : OnTerminate;
  sigemptyset(&on_term.sa_mask);
  ::sigaction(SIGTERM, &on_term, nullptr);

  int log_fd = ::open(options.log_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (log_fd < 0) return Fail("log");

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
  if (!tarvelin::WriteFileAtomic(TheEnv(), pid_path, std::to_string(::getpid()) + "\n").ok()) {
    return Fail("pid file");
  }

  for (;;) {
    int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return Fail("accept");
    }
    Serve(client, log_fd, options);
    ::close(client);
  }
}
