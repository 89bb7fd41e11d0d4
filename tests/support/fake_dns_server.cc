#include "support/fake_dns_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvelin::testing {

namespace {

constexpr size_t kHeaderSize = 12;
// The answer's record: a pointer to the question's name, type A, class IN,
// a time to live, four address bytes.
constexpr char kAddressRecord[] = "\xc0\x0c\x00\x01\x00\x01\x00\x00\x0e\x10\x00\x04\x5d\xb8\xd8\x22";

std::string Reply(const std::string& query, DnsReply reply) {
  std::string answer = query;
  answer[2] = static_cast<char>(0x80 | (query[2] & 0x01));  // a response, recursion as asked
  answer[3] = static_cast<char>(0x80 | (reply == DnsReply::kError ? 2 : 0));
  const bool record = reply == DnsReply::kRecords || reply == DnsReply::kWrongId;
  answer[6] = 0;
  answer[7] = record ? 1 : 0;
  for (size_t i = 8; i < kHeaderSize; ++i) answer[i] = 0;
  if (record) answer.append(kAddressRecord, sizeof kAddressRecord - 1);
  if (reply == DnsReply::kWrongId) answer[1] = static_cast<char>(answer[1] ^ 0x5a);
  return answer;
}

}  // namespace

FakeDnsServer::FakeDnsServer(DnsReply reply) : reply_(reply) {
  fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return;
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

FakeDnsServer::~FakeDnsServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (fd_ >= 0) close(fd_);
}

std::string FakeDnsServer::address() const {
  return port_ == 0 ? std::string() : "127.0.0.1:" + std::to_string(port_);
}

std::string FakeDnsServer::last_query() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return last_query_;
}

void FakeDnsServer::Serve() {
  while (!stop_) {
    pollfd ready{fd_, POLLIN, 0};
    if (poll(&ready, 1, 20) <= 0) continue;
    char buffer[512];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t got =
        recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (got < static_cast<ssize_t>(kHeaderSize)) continue;
    const std::string query(buffer, static_cast<size_t>(got));
    {
      std::lock_guard<std::mutex> lock(mutex_);
      last_query_ = query;
    }
    ++queries_;
    if (reply_ == DnsReply::kSilent) continue;
    const std::string answer = Reply(query, reply_);
    sendto(fd_, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
  }
}

}  // namespace tarvelin::testing
