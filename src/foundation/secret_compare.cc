#include "foundation/secret_compare.h"

#include <openssl/crypto.h>

namespace tarvelin {

bool SecretsEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  return a.empty() || CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace tarvelin
