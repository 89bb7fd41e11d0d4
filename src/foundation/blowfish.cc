// The low-level Blowfish functions of libcrypto are deprecated in favour of
// the provider interface, which keeps Blowfish in the legacy provider that
// may not be loadable; the low-level ones work everywhere.
#define OPENSSL_SUPPRESS_DEPRECATED

#include "foundation/blowfish.h"

#include <openssl/blowfish.h>

namespace tarvelin {

struct Blowfish::Schedule {
  BF_KEY key;
};

Blowfish::Blowfish(const uint8_t* key, size_t length) : schedule_(new Schedule) {
  BF_set_key(&schedule_->key, static_cast<int>(length), key);
}

Blowfish::~Blowfish() = default;

void Blowfish::EncryptBlock(uint8_t block[8]) const {
  BF_ecb_encrypt(block, block, &schedule_->key, BF_ENCRYPT);
}

void Blowfish::DecryptBlock(uint8_t block[8]) const {
  BF_ecb_encrypt(block, block, &schedule_->key, BF_DECRYPT);
}

}  // namespace tarvelin
