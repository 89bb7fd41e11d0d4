// A DNS server stand-in on 127.0.0.1 at a free port, served from a thread
// of the test: it answers every query the one way it was told to, and
// counts the queries.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace tarvelin::testing {

enum class DnsReply {
  kRecords,    // no error, one address record
  kNoRecords,  // no error, no answer record
  kError,      // error code 2 (server failure)
  kWrongId,    // one record, but the id of another query
  kSilent,     // no answer at all
};

class FakeDnsServer {
 public:
  explicit FakeDnsServer(DnsReply reply);
  ~FakeDnsServer();
  FakeDnsServer(const FakeDnsServer&) = delete;
  FakeDnsServer& operator=(const FakeDnsServer&) = delete;

  // "127.0.0.1:PORT"; empty when the socket could not be made.
  std::string address() const;
  int queries() const { return queries_.load(); }
  // The bytes of the last query received.
  std::string last_query() const;

 private:
  void Serve();

  const DnsReply reply_;
  int fd_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> queries_{0};
  mutable std::mutex mutex_;
  std::string last_query_;
  std::thread thread_;
};

}  // namespace tarvelin::testing
