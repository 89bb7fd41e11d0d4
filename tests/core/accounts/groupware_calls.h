// The groupware calls a fake groupware service received, decoded: one
// "call|session|argument|second" text per request, in arrival order.
#pragma once

#include <string>
#include <vector>

#include "foundation/base64.h"
#include "foundation/text.h"
#include "support/fake_service.h"

namespace tarvelin::testing {

inline std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

inline std::vector<std::string> GroupwareCalls(const FakeService& service) {
  std::vector<std::string> calls;
  for (const std::string& hex : service.Requests()) {
    const std::string request = FromHex(hex);
    std::vector<std::string> fields;
    for (const std::string& field : Split(request.substr(8), ';')) {
      const std::vector<uint8_t> bytes = Base64Decode(field);
      fields.emplace_back(bytes.begin(), bytes.end());
    }
    fields.resize(4);
    calls.push_back(fields[0] + "|" + fields[1] + "|" + fields[2] + "|" + fields[3]);
  }
  return calls;
}

}  // namespace tarvelin::testing
