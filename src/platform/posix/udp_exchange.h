// One UDP request and its answer: PosixEnv::ExchangeDatagram.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvelin {

enum class UdpExchangeResult {
  kAnswered,
  kUnresolved,  // `host` is no address and no name that resolves
  kTimedOut,
  kFailed,  // errno says why (ECONNREFUSED: nothing listens there)
};

// Sends `request` from a socket connected to `host`:`port` (so only that
// receiver's datagrams are read) and waits up to `timeout_ms` for one
// datagram back; `answer` gets at most `answer_max` bytes of it.
UdpExchangeResult UdpExchange(std::string_view host, uint16_t port, std::string_view request,
                              size_t answer_max, int timeout_ms, std::string* answer);

}  // namespace tarvelin
