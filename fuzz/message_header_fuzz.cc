// libFuzzer target for setting the X-AntiSpam-Status header of a message:
// the first input byte picks the status and the block size, the rest is
// the message. The rewritten message must not depend on how it was cut in
// blocks, must carry the status, must not change when the status is set
// again, and must equal the original once the status headers are left out
// of both (up to the line end a header-only message gets at its end).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mailstore/spam_status_header.h"

namespace {

std::string Rewrite(std::string_view message, int status, size_t block) {
  tarvelin::SpamStatusHeaderFilter filter(status);
  std::string out;
  for (size_t at = 0; at < message.size(); at += block) {
    filter.Feed(message.substr(at, block), &out);
  }
  filter.Finish(&out);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int status = data[0] & 1;
  const size_t block = 1 + (data[0] >> 1);
  const std::string_view message(reinterpret_cast<const char*>(data) + 1, size - 1);

  const std::string whole = Rewrite(message, status, message.size() + 1);
  if (Rewrite(message, status, block) != whole) std::abort();
  if (Rewrite(whole, status, block) != whole) std::abort();

  tarvelin::SpamStatusHeaderFilter read(1 - status);
  read.Feed(whole, nullptr);
  read.Finish(nullptr);
  if (read.first_status() != status) std::abort();

  // Setting the other status on both drops every old status header alike.
  if (Rewrite(whole, 1 - status, block) != Rewrite(message, 1 - status, block)) std::abort();
  return 0;
}
