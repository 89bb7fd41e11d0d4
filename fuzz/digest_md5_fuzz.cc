// DIGEST-MD5 answers of any shape: the input is split at its first NUL into
// the client's response and the server's challenge.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "foundation/digest_md5.h"
#include "foundation/hash_methods.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string_view response = input.substr(0, split);
  const std::string_view challenge =
      split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  tarvelin::DigestDirective(response, "nonce");
  tarvelin::DigestMd5Accepts(response, challenge, "secret");
  tarvelin::SecretAccepted(tarvelin::HashMethod::kDigestMd5, "login", "secret", challenge,
                           response);
  return 0;
}
